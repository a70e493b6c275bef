#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "math/camera.h"
#include "math/view_frustum.h"
#include "support/gl_test_support.h"

namespace {

Mat4f Read(GLenum which) {
    Mat4f m;
    glGetFloatv(which, m.m.data());
    return m;
}

TEST(ViewGL, SetPerspectiveLoadsTheFrustumMatrix) {
    ViewFrustum frustum;
    glMatrixMode(GL_MODELVIEW);
    frustum.SetPerspective(35.0f, 4.0f / 3.0f, 1.0f, 100.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

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
    EXPECT_NEAR(frustum.eyeCorners[0].x, -r, 1e-6);
    EXPECT_NEAR(frustum.eyeCorners[0].y, t, 1e-6);
    EXPECT_EQ(frustum.eyeCorners[7].z, -100.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ViewGL, ApplyViewMultipliesRotationThenTranslation) {
    Camera camera;
    camera.MoveForward(-20.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.ApplyView(true);
    Mat4f m = Read(GL_MODELVIEW_MATRIX);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], kIdentity4<float>[i]);

    glLoadIdentity();
    camera.Strafe(2.0f);  // eye to (-2, 0, 20)
    camera.ApplyView(false);
    m = Read(GL_MODELVIEW_MATRIX);
    EXPECT_EQ(m[12], 2.0f);
    EXPECT_EQ(m[13], 0.0f);
    EXPECT_EQ(m[14], -20.0f);

    // A turned camera: its rotation takes the new forward to -z.
    camera = Camera();
    camera.Turn(3.14159265f / 2);  // forward now -x
    glLoadIdentity();
    camera.ApplyView(true);
    m = Read(GL_MODELVIEW_MATRIX);
    Vec4f out{};
    TransformPoint4(out, m, Vec4f{-1, 0, 0, 0});
    EXPECT_NEAR(out.z, -1.0f, 1e-6);
    glLoadIdentity();
}

TEST(ViewGL, UpdateGivesInwardPlanesAroundTheOrigin) {
    Camera camera;
    camera.MoveForward(-20.0f);
    ViewFrustum frustum;
    frustum.SetPerspective(35.0f, 4.0f / 3.0f, 1.0f, 100.0f);
    frustum.Update(camera);
    const Planef& nearPlane = frustum.planes[0];
    const Planef& farPlane = frustum.planes[1];
    EXPECT_NEAR(nearPlane.a, 0.0f, 1e-6);
    EXPECT_NEAR(nearPlane.c, -1.0f, 1e-6);
    EXPECT_NEAR(nearPlane.d, 19.0f, 1e-4);
    EXPECT_NEAR(farPlane.c, 1.0f, 1e-6);
    EXPECT_NEAR(farPlane.d, 80.0f, 1e-4);
    for (const Planef& p : frustum.planes) EXPECT_GT(p.d, 0.0f) << "origin outside a plane";
    // A point far to the side is outside the left or right plane.
    const float x = 1000.0f;
    EXPECT_LT(frustum.planes[3].a * x + frustum.planes[3].d, 0.0f);
    EXPECT_FLOAT_EQ(frustum.worldCorners[0].z, 19.0f);
}

}  // namespace
