// What a frame sets in GL before it draws: the projection and the view that
// the frustum and the camera give.
#include <cmath>

#include "math/camera.h"
#include "viewer_fixture.h"

namespace {

Mat4f Read(GLenum which) {
    Mat4f m;
    glGetFloatv(which, m.m.data());
    return m;
}

GLint Integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

using FrameStateTest = ViewerTest;

TEST_F(FrameStateTest, ResizeLoadsTheFrustumsProjectionAndTheFrameTheCamerasView) {
    glMatrixMode(GL_MODELVIEW);
    ResizeViewport(viewer, 400, 300);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    const double t = std::tan(17.5 * 3.141592653589793 / 180.0);
    const double r = t * 4.0 / 3.0;
    const Mat4f p = Read(GL_PROJECTION_MATRIX);
    // glFrustum(-r, r, -t, t, 1, 100)
    EXPECT_NEAR(p[0], 1.0 / r, 1e-5);
    EXPECT_NEAR(p[5], 1.0 / t, 1e-5);
    EXPECT_NEAR(p[10], -101.0 / 99.0, 1e-5);
    EXPECT_NEAR(p[11], -1.0, 1e-6);
    EXPECT_NEAR(p[14], -200.0 / 99.0, 1e-5);
    EXPECT_EQ(p[15], 0.0f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], viewer.frustum.Projection()[i]) << i;

    viewer.camera.Strafe(2.0f);  // eye to (-2, 0, 20)
    PushModelView(viewer);
    const Mat4f m = Read(GL_MODELVIEW_MATRIX);
    glPopMatrix();
    EXPECT_EQ(m[12], 2.0f);
    EXPECT_EQ(m[13], 0.0f);
    EXPECT_EQ(m[14], -20.0f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], viewer.camera.ViewMatrix()[i]) << i;
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), 1);
}

}  // namespace
