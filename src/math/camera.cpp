#include "math/camera.h"

#include <epoxy/gl.h>

Camera camera;
float modelRotX = 0.0f, modelRotY = 0.0f, modelRotZ = 0.0f;
int dragMode = DragNone;
int mouseX = 0, mouseY = 0;
int lastMouseX = 0, lastMouseY = 0;

void Camera::SetOrigin(float x, float y, float z) { origin = {x, y, z}; }

void Camera::Move(const Vec3f& v, float amount) {
    origin.x = amount * v.x + origin.x;
    origin.y = amount * v.y + origin.y;
    origin.z = amount * v.z + origin.z;
}

void Camera::MoveForward(float amount) { Move(forward, amount); }
void Camera::MoveUp(float amount) { Move(up, amount); }

void Camera::Strafe(float amount) {
    Vec3f side;
    Cross(side, up, forward);
    Move(side, amount);
}

void Camera::Turn(float angle) {
    Mat4f rotMat;
    RotationMatrix4(rotMat, angle, up.x, up.y, up.z);
    const Vec3f f = forward;
    forward = {rotMat[0] * f.x + rotMat[4] * f.y + rotMat[8] * f.z,
               rotMat[1] * f.x + rotMat[5] * f.y + rotMat[9] * f.z,
               rotMat[2] * f.x + rotMat[6] * f.y + rotMat[10] * f.z};
}

Mat4f Camera::RotationMatrix() const {
    const Vec3f z{-forward.x, -forward.y, -forward.z};
    Vec3f x;
    Cross(x, up, z);
    return Mat4f{{x.x, up.x, z.x, 0.0f,  //
                  x.y, up.y, z.y, 0.0f,  //
                  x.z, up.z, z.z, 0.0f,  //
                  0.0f, 0.0f, 0.0f, 1.0f}};
}

void Camera::ApplyView(bool rotationOnly) const {
    const Mat4f m = RotationMatrix();
    glMultMatrixf(m.data());
    if (!rotationOnly) glTranslatef(-origin.x, -origin.y, -origin.z);
}

void ResetCamera() {
    camera.SetOrigin(0.0f, 0.0f, 0.0f);
    camera.MoveForward(-20.0f);
    modelRotZ = 0.0f;
    modelRotY = 0.0f;
    modelRotX = 0.0f;
}

namespace {
// Brings an angle back into range by one turn at most: a single step is wrapped once.
float WrapOnce(float angle) {
    if (angle > 360.0f) return angle - 360.0f;
    if (angle < -360.0f) return angle + 360.0f;
    return angle;
}
}  // namespace

void ApplyMouseDrag() {
    const int dx = mouseX - lastMouseX;
    const int dy = mouseY - lastMouseY;
    switch (dragMode) {
    case DragPan:
        camera.Strafe(static_cast<float>(static_cast<double>(dx) / 100.0));
        camera.MoveUp(static_cast<float>(static_cast<double>(dy) / 100.0));
        break;
    case DragRotate:
        modelRotX = static_cast<float>(modelRotX + static_cast<double>(dy) * 180.0 / 500.0);
        modelRotY = static_cast<float>(modelRotY + static_cast<double>(dx) * 180.0 / 500.0);
        modelRotX = WrapOnce(modelRotX);
        modelRotY = WrapOnce(modelRotY);
        break;
    case DragDolly:
        camera.MoveForward(static_cast<float>(static_cast<double>(dx - dy) / 100.0));
        break;
    default:
        break;
    }
}
