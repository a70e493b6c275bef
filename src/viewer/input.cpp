// Keys and mouse drags that move the eye and turn the model.
#include "viewer/input.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "mesh/mesh_bounds.h"

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

namespace {

// The centre of the model's bounding sphere where the frame draws it: turned
// as PushModelView turns the model (about x, then y, then z, applied to the
// point in the opposite order).
Vec3d TurnedCentre(const Viewer& viewer, const MeshBounds& bounds) {
    constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
    Vec3d p{bounds.Centre(0), bounds.Centre(1), bounds.Centre(2)};
    const auto turn = [&p](double degrees, double x, double y, double z) {
        Mat3d m;
        RotationMatrix3(m, degrees * kRadiansPerDegree, x, y, z);
        p = Vec3d{m[0] * p.x + m[3] * p.y + m[6] * p.z, m[1] * p.x + m[4] * p.y + m[7] * p.z,
                  m[2] * p.x + m[5] * p.y + m[8] * p.z};
    };
    turn(viewer.modelRotZ, 0, 0, 1);
    turn(viewer.modelRotY, 0, 1, 0);
    turn(viewer.modelRotX, 1, 0, 0);
    return p;
}

// How far the eye may go from eye along the unit direction before it enters
// the sphere: unbounded when the way misses it or leads away, nothing when
// the eye is inside already and heading further in.
double FreeWay(const Vec3d& eye, const Vec3d& direction, const Vec3d& centre, double radius) {
    const Vec3d fromCentre{eye.x - centre.x, eye.y - centre.y, eye.z - centre.z};
    const double along = Dot(fromCentre, direction);
    const double outside = Dot(fromCentre, fromCentre) - radius * radius;
    if (along >= 0.0) return std::numeric_limits<double>::infinity();
    if (outside <= 0.0) return 0.0;
    const double discriminant = along * along - outside;
    if (discriminant <= 0.0) return std::numeric_limits<double>::infinity();
    return -along - std::sqrt(discriminant);
}

}  // namespace

void Wheel(Viewer& viewer, double notches, ViewerShell& shell) {
    // A fifth of a fitted model's radius: fine enough to come close to it.
    constexpr double kNotchStep = kFitRadius / 5.0;
    if (notches == 0.0 || !std::isfinite(notches)) return;
    double way = notches * kNotchStep;
    // The eye stops where the near plane would touch the model's bounding sphere.
    if (const MeshBounds bounds = BoundsOf(viewer.model); !bounds.empty) {
        Vec3f eye, forward;
        viewer.camera.GetOrigin(eye);
        viewer.camera.GetForward(forward);
        const double sign = way > 0.0 ? 1.0 : -1.0;
        const Vec3d direction{sign * forward.x, sign * forward.y, sign * forward.z};
        const double free = FreeWay(Vec3d{eye.x, eye.y, eye.z}, direction, TurnedCentre(viewer, bounds),
                                    static_cast<double>(bounds.Radius()) + viewer.frustum.Near());
        if (free <= 0.0) return;
        way = sign * std::min(std::abs(way), free);
    }
    viewer.camera.MoveForward(static_cast<float>(way));
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
