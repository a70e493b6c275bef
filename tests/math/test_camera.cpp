#include <gtest/gtest.h>

#include "math/camera.h"

namespace {

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        camera = Camera();
        ResetCamera();
        dragMode = DragNone;
        lastMouseX = lastMouseY = mouseX = mouseY = 0;
    }
    static Vec3f Origin() {
        Vec3f o;
        camera.GetOrigin(o);
        return o;
    }
    static void Step(int mode, int dx, int dy) {
        dragMode = mode;
        lastMouseX = 100;
        lastMouseY = 100;
        mouseX = 100 + dx;
        mouseY = 100 + dy;
        ApplyMouseDrag();
    }
};

TEST_F(CameraTest, ResetPutsTheEyeTwentyUnitsInFrontAndClearsAngles) {
    camera.MoveForward(3.0f);
    camera.Strafe(2.0f);
    modelRotX = 40.0f;
    modelRotY = -10.0f;
    modelRotZ = 5.0f;
    ResetCamera();
    const Vec3f o = Origin();
    EXPECT_EQ(o.x, 0.0f);
    EXPECT_EQ(o.y, 0.0f);
    EXPECT_EQ(o.z, 20.0f);
    EXPECT_EQ(modelRotX, 0.0f);
    EXPECT_EQ(modelRotY, 0.0f);
    EXPECT_EQ(modelRotZ, 0.0f);
}

TEST_F(CameraTest, MovesAlongForwardSideAndUp) {
    camera.MoveForward(1.0f);
    EXPECT_EQ(Origin().z, 19.0f);
    camera.MoveForward(-2.0f);
    EXPECT_EQ(Origin().z, 21.0f);
    ResetCamera();
    camera.Strafe(1.0f);  // up x forward is -x
    EXPECT_EQ(Origin().x, -1.0f);
    ResetCamera();
    camera.MoveUp(-1.0f);
    EXPECT_EQ(Origin().y, -1.0f);
}

TEST_F(CameraTest, TurnRotatesForwardAboutUp) {
    camera.Turn(3.14159265f / 2);
    Vec3f f, u;
    camera.GetForward(f);
    camera.GetUp(u);
    EXPECT_NEAR(f.x, -1.0f, 1e-6);
    EXPECT_NEAR(f.z, 0.0f, 1e-6);
    EXPECT_EQ(u.y, 1.0f);
}

TEST_F(CameraTest, RotateDragTurnsByPointThreeSixDegreesPerPixelAndWrapsOnce) {
    Step(DragRotate, 0, 500);
    EXPECT_FLOAT_EQ(modelRotX, 180.0f);
    EXPECT_FLOAT_EQ(modelRotY, 0.0f);

    modelRotX = 359.64f;
    Step(DragRotate, 0, 2);  // to 360.36, wrapped to 0.36
    EXPECT_NEAR(modelRotX, 0.36f, 1e-4);

    modelRotX = 0.0f;
    Step(DragRotate, 0, 2000);  // 720 is wrapped once only
    EXPECT_FLOAT_EQ(modelRotX, 360.0f);

    modelRotY = -360.0f;  // exactly -360 stays
    Step(DragRotate, 0, 0);
    EXPECT_FLOAT_EQ(modelRotY, -360.0f);
    Step(DragRotate, -1, 0);
    EXPECT_NEAR(modelRotY, -0.36f, 1e-4);
}

TEST_F(CameraTest, PanFollowsThePointerAndDollyMovesForward) {
    Step(DragPan, 100, 0);
    EXPECT_FLOAT_EQ(Origin().x, -1.0f);
    EXPECT_FLOAT_EQ(Origin().y, 0.0f);
    Step(DragPan, 0, 50);  // dragging down moves the eye up
    EXPECT_FLOAT_EQ(Origin().y, 0.5f);

    ResetCamera();
    Step(DragDolly, 30, 30);
    EXPECT_FLOAT_EQ(Origin().z, 20.0f);
    Step(DragDolly, 50, -50);
    EXPECT_FLOAT_EQ(Origin().z, 19.0f);
    // Negative positions (outside the window while captured) take part as they are.
    dragMode = DragDolly;
    lastMouseX = 10;
    lastMouseY = 0;
    mouseX = -90;
    mouseY = 0;
    ApplyMouseDrag();
    EXPECT_FLOAT_EQ(Origin().z, 20.0f);
}

TEST_F(CameraTest, NoDragModeChangesNothing) {
    Step(DragNone, 300, 300);
    Step(7, 300, 300);
    const Vec3f o = Origin();
    EXPECT_EQ(o.z, 20.0f);
    EXPECT_EQ(modelRotX, 0.0f);
}

}  // namespace
