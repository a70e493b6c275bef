// The viewer's eye: a position with forward and up directions.
#pragma once

#include "math/vector_math.h"

class Camera {
public:
    void SetOrigin(float x, float y, float z);
    void MoveForward(float amount);
    void MoveUp(float amount);
    // Moves along up x forward: with the start directions a positive amount goes towards -x.
    void Strafe(float amount);
    // Turns forward about up by angle (radians).
    void Turn(float angle);

    void GetOrigin(Vec3f& out) const { out = origin; }
    void GetForward(Vec3f& out) const { out = forward; }
    void GetUp(Vec3f& out) const { out = up; }

    // The view transform: RotationMatrix, then the move of the eye to the
    // origin (left out when rotationOnly). The frame loads it as the model-view.
    Mat4f ViewMatrix(bool rotationOnly = false) const;
    // The turn of the view (rows: right, up, -forward).
    Mat4f RotationMatrix() const;

private:
    void Move(const Vec3f& direction, float amount);

    Vec3f origin{0.0f, 0.0f, 0.0f};
    Vec3f forward{0.0f, 0.0f, -1.0f};
    Vec3f up{0.0f, 1.0f, 0.0f};
};
