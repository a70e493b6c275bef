// The camera's and the frustum's matrices, as plain numbers: the frame loads
// them into GL (tests/viewer/test_frame_state.cpp checks that it does).
#include <gtest/gtest.h>

#include <cmath>

#include "math/camera.h"
#include "math/view_frustum.h"

namespace {

TEST(ViewMatrices, SetPerspectiveGivesTheFrustumMatrix) {
    ViewFrustum frustum;
    // Before any projection is set the frame loads the identity, as a fresh context has.
    for (int i = 0; i < 16; ++i) EXPECT_EQ(frustum.Projection()[i], kIdentity4<float>[i]);
    frustum.SetPerspective(35.0f, 4.0f / 3.0f, 1.0f, 100.0f);

    const double t = std::tan(17.5 * 3.141592653589793 / 180.0);
    const double r = t * 4.0 / 3.0;
    const Mat4f& p = frustum.Projection();
    // glFrustum(-r, r, -t, t, 1, 100)
    EXPECT_NEAR(p[0], 1.0 / r, 1e-5);
    EXPECT_NEAR(p[5], 1.0 / t, 1e-5);
    EXPECT_NEAR(p[10], -101.0 / 99.0, 1e-5);
    EXPECT_NEAR(p[11], -1.0, 1e-6);
    EXPECT_NEAR(p[14], -200.0 / 99.0, 1e-5);
    EXPECT_EQ(p[15], 0.0f);
    for (const int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13}) EXPECT_EQ(p[i], 0.0f) << i;
    EXPECT_NEAR(frustum.eyeCorners[0].x, -r, 1e-6);
    EXPECT_NEAR(frustum.eyeCorners[0].y, t, 1e-6);
    EXPECT_EQ(frustum.eyeCorners[7].z, -100.0f);
}

TEST(ViewMatrices, ViewMatrixIsRotationThenTranslation) {
    Camera camera;
    camera.MoveForward(-20.0f);
    Mat4f m = camera.ViewMatrix(true);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], kIdentity4<float>[i]);

    camera.Strafe(2.0f);  // eye to (-2, 0, 20)
    m = camera.ViewMatrix();
    EXPECT_EQ(m[12], 2.0f);
    EXPECT_EQ(m[13], 0.0f);
    EXPECT_EQ(m[14], -20.0f);

    // A turned camera: its rotation takes the new forward to -z.
    camera = Camera();
    camera.Turn(3.14159265f / 2);  // forward now -x
    m = camera.ViewMatrix(true);
    Vec4f out{};
    TransformPoint4(out, m, Vec4f{-1, 0, 0, 0});
    EXPECT_NEAR(out.z, -1.0f, 1e-6);
    // Moved and turned: the eye itself goes to the origin.
    camera.MoveForward(5.0f);
    Vec3f eye;
    camera.GetOrigin(eye);
    TransformPoint4(out, camera.ViewMatrix(), Vec4f{eye.x, eye.y, eye.z, 1});
    EXPECT_NEAR(out.x, 0.0f, 1e-6);
    EXPECT_NEAR(out.y, 0.0f, 1e-6);
    EXPECT_NEAR(out.z, 0.0f, 1e-6);
}

TEST(ViewMatrices, UpdateGivesInwardPlanesAroundTheOrigin) {
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
