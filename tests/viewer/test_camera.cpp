// The eye's reset and its turn. The moves that keys and drags make are
// tested through them in test_viewer_input.cpp.
#include <gtest/gtest.h>

#include "viewer/viewer.h"

namespace {

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCamera(viewer); }
    Vec3f Origin() const {
        Vec3f o;
        viewer.camera.GetOrigin(o);
        return o;
    }
    Viewer viewer;
};

TEST_F(CameraTest, ResetPutsTheEyeTwentyUnitsInFrontAndClearsAngles) {
    viewer.camera.MoveForward(3.0f);
    viewer.camera.Strafe(2.0f);
    viewer.modelRotX = 40.0f;
    viewer.modelRotY = -10.0f;
    viewer.modelRotZ = 5.0f;
    ResetCamera(viewer);
    const Vec3f o = Origin();
    EXPECT_EQ(o.x, 0.0f);
    EXPECT_EQ(o.y, 0.0f);
    EXPECT_EQ(o.z, 20.0f);
    EXPECT_EQ(viewer.modelRotX, 0.0f);
    EXPECT_EQ(viewer.modelRotY, 0.0f);
    EXPECT_EQ(viewer.modelRotZ, 0.0f);
}

TEST_F(CameraTest, TurnRotatesForwardAboutUp) {
    viewer.camera.Turn(3.14159265f / 2);
    Vec3f f, u;
    viewer.camera.GetForward(f);
    viewer.camera.GetUp(u);
    EXPECT_NEAR(f.x, -1.0f, 1e-6);
    EXPECT_NEAR(f.z, 0.0f, 1e-6);
    EXPECT_EQ(u.y, 1.0f);
}

}  // namespace
