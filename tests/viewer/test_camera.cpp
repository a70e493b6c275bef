// The eye's moves, the reset, and the mouse drags that move it and turn the model.
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
    void Step(int mode, int dx, int dy) {
        viewer.dragMode = mode;
        viewer.lastMouseX = 100;
        viewer.lastMouseY = 100;
        viewer.mouseX = 100 + dx;
        viewer.mouseY = 100 + dy;
        ApplyMouseDrag(viewer);
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

TEST_F(CameraTest, MovesAlongForwardSideAndUp) {
    viewer.camera.MoveForward(1.0f);
    EXPECT_EQ(Origin().z, 19.0f);
    viewer.camera.MoveForward(-2.0f);
    EXPECT_EQ(Origin().z, 21.0f);
    ResetCamera(viewer);
    viewer.camera.Strafe(1.0f);  // up x forward is -x
    EXPECT_EQ(Origin().x, -1.0f);
    ResetCamera(viewer);
    viewer.camera.MoveUp(-1.0f);
    EXPECT_EQ(Origin().y, -1.0f);
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

TEST_F(CameraTest, RotateDragTurnsByPointThreeSixDegreesPerPixelAndWrapsOnce) {
    Step(DragRotate, 0, 500);
    EXPECT_FLOAT_EQ(viewer.modelRotX, 180.0f);
    EXPECT_FLOAT_EQ(viewer.modelRotY, 0.0f);

    viewer.modelRotX = 359.64f;
    Step(DragRotate, 0, 2);  // to 360.36, wrapped to 0.36
    EXPECT_NEAR(viewer.modelRotX, 0.36f, 1e-4);

    viewer.modelRotX = 0.0f;
    Step(DragRotate, 0, 2000);  // 720 is wrapped once only
    EXPECT_FLOAT_EQ(viewer.modelRotX, 360.0f);

    viewer.modelRotY = -360.0f;  // exactly -360 stays
    Step(DragRotate, 0, 0);
    EXPECT_FLOAT_EQ(viewer.modelRotY, -360.0f);
    Step(DragRotate, -1, 0);
    EXPECT_NEAR(viewer.modelRotY, -0.36f, 1e-4);
}

TEST_F(CameraTest, PanFollowsThePointerAndDollyMovesForward) {
    Step(DragPan, 100, 0);
    EXPECT_FLOAT_EQ(Origin().x, -1.0f);
    EXPECT_FLOAT_EQ(Origin().y, 0.0f);
    Step(DragPan, 0, 50);  // dragging down moves the eye up
    EXPECT_FLOAT_EQ(Origin().y, 0.5f);

    ResetCamera(viewer);
    Step(DragDolly, 30, 30);
    EXPECT_FLOAT_EQ(Origin().z, 20.0f);
    Step(DragDolly, 50, -50);
    EXPECT_FLOAT_EQ(Origin().z, 19.0f);
    // Negative positions (outside the window while captured) take part as they are.
    viewer.dragMode = DragDolly;
    viewer.lastMouseX = 10;
    viewer.lastMouseY = 0;
    viewer.mouseX = -90;
    viewer.mouseY = 0;
    ApplyMouseDrag(viewer);
    EXPECT_FLOAT_EQ(Origin().z, 20.0f);
}

TEST_F(CameraTest, NoDragModeChangesNothing) {
    Step(DragNone, 300, 300);
    Step(7, 300, 300);
    const Vec3f o = Origin();
    EXPECT_EQ(o.z, 20.0f);
    EXPECT_EQ(viewer.modelRotX, 0.0f);
}

}  // namespace
