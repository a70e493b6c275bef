// Keys and mouse drags: which way each key moves the eye, that every key
// repaints, and the drag state machine with its pixel coordinates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "viewer/viewer.h"
#include "math/camera.h"
#include "math/view_frustum.h"
#include "scripted_shell.h"

namespace {

class InputTest : public testing::Test {
protected:
    void SetUp() override {
        ResetCamera(viewer);
        viewer.frustum.Update(viewer.camera);
    }
    Vec3f Eye() const {
        Vec3f eye;
        viewer.camera.GetOrigin(eye);
        return eye;
    }
    Viewer viewer;
    ScriptedShell shell;
};

TEST_F(InputTest, KeysMoveTheEyeByOneUnit) {
    // With the start directions: forward is -z, up is +y, and the strafe axis
    // (up x forward) is -x, so a negative strafe goes towards +x.
    struct Case {
        ViewerKey key;
        float dx, dy, dz;
    };
    const Case cases[] = {
        {ViewerKey::Up, 0, 0, -1}, {ViewerKey::Down, 0, 0, 1},   {ViewerKey::Left, 1, 0, 0},
        {ViewerKey::A, 1, 0, 0},   {ViewerKey::Right, -1, 0, 0}, {ViewerKey::D, -1, 0, 0},
        {ViewerKey::W, 0, -1, 0},  {ViewerKey::S, 0, 1, 0},      {ViewerKey::Other, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.key));
        ResetCamera(viewer);
        viewer.frustum.Update(viewer.camera);
        const Vec4f corner = viewer.frustum.worldCorners[0];
        const int repaints = shell.repaints;
        KeyDown(viewer, c.key, shell);
        const Vec3f eye = Eye();
        EXPECT_EQ(eye.x, c.dx);
        EXPECT_EQ(eye.y, c.dy);
        EXPECT_EQ(eye.z, 20.0f + c.dz);
        // The frustum follows the eye at once.
        EXPECT_NEAR(viewer.frustum.worldCorners[0].x - corner.x, c.dx, 1e-4f);
        EXPECT_NEAR(viewer.frustum.worldCorners[0].y - corner.y, c.dy, 1e-4f);
        EXPECT_NEAR(viewer.frustum.worldCorners[0].z - corner.z, c.dz, 1e-4f);
        EXPECT_EQ(shell.repaints, repaints + 1);
    }
    EXPECT_EQ(shell.quits, 0);
}

TEST_F(InputTest, RepeatedKeysAccumulateAndEscapeQuitsEvenMidDrag) {
    for (int i = 0; i < 5; ++i) KeyDown(viewer, ViewerKey::Up, shell);
    EXPECT_EQ(Eye().z, 15.0f);
    MouseDown(viewer, MouseButton::Left, 10, 10);
    KeyDown(viewer, ViewerKey::Escape, shell);
    EXPECT_EQ(shell.quits, 1);
    EXPECT_EQ(shell.repaints, 6);
}

TEST_F(InputTest, LeftDragTurnsTheModel) {
    MouseDown(viewer, MouseButton::Left, 100, 100);
    EXPECT_EQ(viewer.dragMode, DragRotate);
    EXPECT_EQ(shell.repaints, 0);  // a press alone changes nothing on screen
    MouseMove(viewer, 125, 150, shell);
    EXPECT_FLOAT_EQ(viewer.modelRotY, 9.0f);  // 500 pixels are half a turn
    EXPECT_FLOAT_EQ(viewer.modelRotX, 18.0f);
    EXPECT_EQ(viewer.lastMouseX, 125);
    EXPECT_EQ(viewer.lastMouseY, 150);
    EXPECT_EQ(shell.repaints, 1);
    // Steps are relative to the last position, not to the press.
    MouseMove(viewer, 125, 160, shell);
    EXPECT_FLOAT_EQ(viewer.modelRotX, 21.6f);
    EXPECT_EQ(shell.repaints, 2);
}

TEST_F(InputTest, DragsLeavingTheAreaUseNegativePositions) {
    MouseDown(viewer, MouseButton::Left, 5, 8);
    MouseMove(viewer, -20, -12, shell);
    EXPECT_EQ(viewer.mouseX, -20);
    EXPECT_EQ(viewer.mouseY, -12);
    EXPECT_FLOAT_EQ(viewer.modelRotY, -9.0f);
    EXPECT_FLOAT_EQ(viewer.modelRotX, -7.2f);
    EXPECT_EQ(viewer.lastMouseX, -20);
}

TEST_F(InputTest, LongDragsWrapTheAngleOnceAStep) {
    MouseDown(viewer, MouseButton::Left, 0, 0);
    MouseMove(viewer, 1100, 0, shell);  // 396 degrees in one step
    EXPECT_FLOAT_EQ(viewer.modelRotY, 36.0f);
    MouseMove(viewer, 1100, 2000, shell);  // 720 degrees: a whole turn is left
    EXPECT_FLOAT_EQ(viewer.modelRotX, 360.0f);
    // Backwards: exactly -360 stays, past it wraps.
    MouseMove(viewer, 100, 2000, shell);  // to -324
    MouseMove(viewer, 0, 2000, shell);
    EXPECT_FLOAT_EQ(viewer.modelRotY, -360.0f);
    MouseMove(viewer, -1, 2000, shell);
    EXPECT_NEAR(viewer.modelRotY, -0.36f, 1e-4);
}

TEST_F(InputTest, RightDragPansAndMiddleDragDollies) {
    MouseDown(viewer, MouseButton::Right, 50, 50);
    EXPECT_EQ(viewer.dragMode, DragPan);
    MouseMove(viewer, 150, 100, shell);  // strafe by 1, up by 0.5
    Vec3f eye = Eye();
    EXPECT_FLOAT_EQ(eye.x, -1.0f);
    EXPECT_FLOAT_EQ(eye.y, 0.5f);
    MouseUp(viewer);

    ResetCamera(viewer);
    MouseDown(viewer, MouseButton::Middle, 0, 0);
    EXPECT_EQ(viewer.dragMode, DragDolly);
    MouseMove(viewer, 300, 100, shell);  // forward by (dx - dy) / 100 = 2
    eye = Eye();
    EXPECT_FLOAT_EQ(eye.z, 18.0f);
    EXPECT_EQ(viewer.modelRotX, 0.0f);
}

TEST_F(InputTest, ASecondButtonSwitchesTheDragAndRestartsFromItsPress) {
    MouseDown(viewer, MouseButton::Left, 10, 10);
    MouseMove(viewer, 20, 10, shell);
    const float turned = viewer.modelRotY;
    MouseDown(viewer, MouseButton::Right, 200, 200);
    EXPECT_EQ(viewer.dragMode, DragPan);
    EXPECT_EQ(viewer.lastMouseX, 200);
    MouseMove(viewer, 210, 200, shell);
    EXPECT_EQ(viewer.modelRotY, turned);
    EXPECT_FLOAT_EQ(Eye().x, -0.1f);
}

TEST_F(InputTest, MovesWithoutAButtonDoNothing) {
    MouseMove(viewer, 40, 40, shell);
    EXPECT_EQ(shell.repaints, 0);
    EXPECT_EQ(viewer.lastMouseX, 0);
    MouseDown(viewer, MouseButton::Middle, 0, 0);
    MouseDown(viewer, MouseButton::Left, 0, 0);
    // The release of any button ends the drag, whichever started it.
    MouseUp(viewer);
    EXPECT_EQ(viewer.dragMode, DragNone);
    MouseMove(viewer, 80, 90, shell);
    EXPECT_EQ(shell.repaints, 0);
    EXPECT_EQ(viewer.modelRotX, 0.0f);
    EXPECT_EQ(viewer.modelRotY, 0.0f);
    EXPECT_EQ(Eye().z, 20.0f);
    EXPECT_EQ(viewer.mouseX, 0);
}

}  // namespace

namespace {

// A model of two vertices: the corners of a box of half-diagonal radius
// about centre, so its bounding sphere is exactly that.
Mesh TwoCorners(Vec3f centre, float radius) {
    const float h = radius / std::sqrt(3.0f);
    Mesh mesh;
    mesh.numVerts = 2;
    EXPECT_TRUE(mesh.AllocVerts());
    const float corners[6] = {centre.x - h, centre.y - h, centre.z - h, centre.x + h, centre.y + h, centre.z + h};
    std::copy(std::begin(corners), std::end(corners), mesh.verts.data());
    return mesh;
}

class WheelTest : public InputTest {
protected:
    // Notches of the wheel, each one on its own, as a user turns it.
    void Notches(int count) {
        for (int i = 0; i < std::abs(count); ++i) Wheel(viewer, count > 0 ? 1.0 : -1.0, shell);
    }
    float Near() const { return viewer.frustum.Near(); }
};

// The eye starts 20 units in front of a model about the origin and comes
// nearer: it stops where the near plane touches the model's bounding sphere.
TEST_F(WheelTest, StopsAtTheBoundingSpherePlusTheNearPlane) {
    viewer.frustum.SetPerspective(35.0f, 4.0f / 3.0f, 1.0f, 100.0f);
    for (const float radius : {kFitRadius, 2.0f, 12.5f}) {
        SCOPED_TRACE(radius);
        ResetCamera(viewer);
        viewer.model = TwoCorners({0, 0, 0}, radius);
        Notches(30);
        EXPECT_NEAR(Eye().z, radius + Near(), 1e-4f);
        EXPECT_EQ(Eye().x, 0.0f);
        // Further notches leave it there; back ones take it away, a notch each.
        const int repaints = shell.repaints;
        Notches(3);
        EXPECT_NEAR(Eye().z, radius + Near(), 1e-4f);
        EXPECT_EQ(shell.repaints, repaints);
        Notches(-2);
        EXPECT_NEAR(Eye().z, radius + Near() + 2 * kFitRadius / 5, 1e-4f);
    }
    // A far near plane stops it farther away.
    viewer.frustum.SetPerspective(35.0f, 1.0f, 3.0f, 100.0f);
    ResetCamera(viewer);
    viewer.model = TwoCorners({0, 0, 0}, 2.0f);
    Notches(30);
    EXPECT_NEAR(Eye().z, 5.0f, 1e-4f);
    // Without a model nothing stops it.
    viewer.model = Mesh{};
    Notches(10);
    EXPECT_NEAR(Eye().z, 5.0f - 2 * kFitRadius, 1e-4f);
}

// The sphere is where the frame draws the model: turned with it, about x
// after y after z. A model off the eye's path is never in the way.
TEST_F(WheelTest, TheSphereTurnsWithTheModel) {
    viewer.frustum.SetPerspective(35.0f, 1.0f, 1.0f, 100.0f);
    struct Case {
        float rotX, rotY;
        bool stops;
    };
    // (5, 0, 0) turned 90 degrees about y is (0, 0, -5); then about x, (0, 5, 0).
    const Case cases[] = {{0, 0, false}, {0, 90, true}, {90, 90, false}, {0, -90, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rotX << "," << c.rotY);
        ResetCamera(viewer);
        viewer.model = TwoCorners({5, 0, 0}, 1.0f);
        viewer.modelRotX = c.rotX;
        viewer.modelRotY = c.rotY;
        Notches(20);
        const float centreZ = c.rotY == 90 ? -5.0f : 5.0f;
        if (c.stops)
            EXPECT_NEAR(Eye().z, centreZ + 2.0f, 1e-4f);
        else
            EXPECT_NEAR(Eye().z, 20.0f - 4 * kFitRadius, 1e-4f);
    }
}

// An eye inside the sphere (the keys took it there) only backs out.
TEST_F(WheelTest, FromInsideTheEyeOnlyMovesOut) {
    viewer.model = TwoCorners({0, 0, 0}, 5.0f);
    for (int i = 0; i < 17; ++i) KeyDown(viewer, ViewerKey::Up, shell);
    ASSERT_EQ(Eye().z, 3.0f);
    Notches(1);
    EXPECT_EQ(Eye().z, 3.0f);
    Wheel(viewer, -0.5, shell);
    EXPECT_NEAR(Eye().z, 3.0f + kFitRadius / 10, 1e-5f);
    // Past the centre it moves on, away from the model.
    for (int i = 0; i < 6; ++i) KeyDown(viewer, ViewerKey::Up, shell);
    Notches(2);
    EXPECT_NEAR(Eye().z, -3.0f + kFitRadius / 10 - 2 * kFitRadius / 5, 1e-4f);
}

}  // namespace
