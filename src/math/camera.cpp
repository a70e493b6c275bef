#include "math/camera.h"

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
    forward = {rotMat[0] * f.x + rotMat[4] * f.y + rotMat[8] * f.z, rotMat[1] * f.x + rotMat[5] * f.y + rotMat[9] * f.z,
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

Mat4f Camera::ViewMatrix(bool rotationOnly) const {
    Mat4f m = RotationMatrix();
    if (rotationOnly) return m;
    // The rotation times a translation by -origin: only the last column
    // changes, summed in the order a GL driver's glTranslatef sums it.
    const Vec3f t{-origin.x, -origin.y, -origin.z};
    for (int row = 0; row < 4; ++row) m[12 + row] = m[row] * t.x + m[4 + row] * t.y + m[8 + row] * t.z + m[12 + row];
    return m;
}
