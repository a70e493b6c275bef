// The perspective projection and the view volume's corners and planes.
#pragma once

#include <array>

#include "math/camera.h"
#include "math/vector_math.h"

class ViewFrustum {
public:
    // Records the corners of a 30-degree square frustum; touches no GL state,
    // since it runs before any context exists.
    ViewFrustum();

    // Records the projection (the matrix glFrustum makes of the near
    // plane's extents) and the eye-space corners.
    void SetPerspective(float fovY, float aspect, float zNear, float zFar);
    // The projection the frame loads; the identity until SetPerspective, as
    // a fresh GL context has it.
    const Mat4f& Projection() const { return projection_; }
    // The distance from the eye to the near plane.
    float Near() const { return -eyeCorners[0].z; }
    // World-space corners and the six inward-facing planes for the camera.
    void Update(const Camera& cam);

    // Corner order: near/far, then left/right, then top/bottom.
    std::array<Vec4f, 8> eyeCorners{};
    std::array<Vec4f, 8> worldCorners{};
    std::array<Planef, 6> planes{};  // near, far, left, right, top, bottom

private:
    struct Extents {
        float nearLeft, nearRight, nearBottom, nearTop;
    };
    Extents RecordCorners(float fovY, float aspect, float zNear, float zFar);

    Mat4f projection_ = kIdentity4<float>;
};
