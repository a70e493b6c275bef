// Keys and mouse drags that move the eye and turn the model.
#include "viewer/input.h"

#include <cmath>

void ResetCamera(Viewer& viewer) {
    viewer.camera.SetOrigin(0.0f, 0.0f, 0.0f);
    viewer.camera.MoveForward(-20.0f);
    viewer.modelRotZ = 0.0f;
    viewer.modelRotY = 0.0f;
    viewer.modelRotX = 0.0f;
}

void KeyDown(Viewer& viewer, ViewerKey key, ViewerShell& shell) {
    constexpr float kStep = 1.0f;
    Camera& camera = viewer.camera;
    bool moved = true;
    switch (key) {
    case ViewerKey::Escape:
        shell.Quit();
        moved = false;
        break;
    case ViewerKey::Up: camera.MoveForward(kStep); break;
    case ViewerKey::Down: camera.MoveForward(-kStep); break;
    case ViewerKey::Left:
    case ViewerKey::A: camera.Strafe(-kStep); break;
    case ViewerKey::Right:
    case ViewerKey::D: camera.Strafe(kStep); break;
    case ViewerKey::W: camera.MoveUp(-kStep); break;
    case ViewerKey::S: camera.MoveUp(kStep); break;
    case ViewerKey::F: FitModel(viewer, shell); return;
    case ViewerKey::Other: moved = false; break;
    }
    if (moved) viewer.frustum.Update(camera);
    shell.Repaint();
}

void FitModel(Viewer& viewer, ViewerShell& shell) {
    viewer.model.Fit(kFitRadius);
    viewer.fitted = true;
    ResetCamera(viewer);
    viewer.frustum.Update(viewer.camera);
    shell.Repaint();
}

void Wheel(Viewer& viewer, double notches, ViewerShell& shell) {
    // A fifth of a fitted model's radius: fine enough to come close to it.
    constexpr double kNotchStep = kFitRadius / 5.0;
    if (notches == 0.0 || !std::isfinite(notches)) return;
    viewer.camera.MoveForward(static_cast<float>(notches * kNotchStep));
    viewer.frustum.Update(viewer.camera);
    shell.Repaint();
}

void MouseDown(Viewer& viewer, MouseButton button, int x, int y) {
    viewer.lastMouseX = x;
    viewer.lastMouseY = y;
    switch (button) {
    case MouseButton::Left: viewer.dragMode = DragRotate; break;
    case MouseButton::Right: viewer.dragMode = DragPan; break;
    case MouseButton::Middle: viewer.dragMode = DragDolly; break;
    }
}

void MouseUp(Viewer& viewer) { viewer.dragMode = DragNone; }

void MouseMove(Viewer& viewer, int x, int y, ViewerShell& shell) {
    if (viewer.dragMode == DragNone) return;
    viewer.mouseX = x;
    viewer.mouseY = y;
    ApplyMouseDrag(viewer);
    viewer.lastMouseX = viewer.mouseX;
    viewer.lastMouseY = viewer.mouseY;
    shell.Repaint();
}

namespace {
// Brings an angle back into range by one turn at most: a single step is wrapped once.
float WrapOnce(float angle) {
    if (angle > 360.0f) return angle - 360.0f;
    if (angle < -360.0f) return angle + 360.0f;
    return angle;
}
}  // namespace

void ApplyMouseDrag(Viewer& viewer) {
    const int dx = viewer.mouseX - viewer.lastMouseX;
    const int dy = viewer.mouseY - viewer.lastMouseY;
    switch (viewer.dragMode) {
    case DragPan:
        viewer.camera.Strafe(static_cast<float>(static_cast<double>(dx) / 100.0));
        viewer.camera.MoveUp(static_cast<float>(static_cast<double>(dy) / 100.0));
        break;
    case DragRotate:
        viewer.modelRotX = static_cast<float>(viewer.modelRotX + static_cast<double>(dy) * 180.0 / 500.0);
        viewer.modelRotY = static_cast<float>(viewer.modelRotY + static_cast<double>(dx) * 180.0 / 500.0);
        viewer.modelRotX = WrapOnce(viewer.modelRotX);
        viewer.modelRotY = WrapOnce(viewer.modelRotY);
        break;
    case DragDolly: viewer.camera.MoveForward(static_cast<float>(static_cast<double>(dx - dy) / 100.0)); break;
    default: break;
    }
}
