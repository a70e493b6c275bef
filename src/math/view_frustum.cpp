#include "math/view_frustum.h"

#include <cmath>

ViewFrustum::ViewFrustum() { RecordCorners(30.0f, 1.0f, 1.0f, 10.0f); }

ViewFrustum::Extents ViewFrustum::RecordCorners(float fovY, float aspect, float zNear, float zFar) {
    const double half = fovY * 3.141592653589793 / 360.0;
    const double t = std::tan(half);
    const float nearTop = static_cast<float>(t * zNear);
    const float nearBottom = -nearTop;
    const float nearLeft = nearBottom * aspect;
    const float nearRight = -nearLeft;
    const float farTop = static_cast<float>(t * zFar);
    const float farBottom = -farTop;
    const float farLeft = farBottom * aspect;
    const float farRight = -farLeft;

    eyeCorners[0] = {nearLeft, nearTop, -zNear, 1.0f};
    eyeCorners[1] = {nearLeft, nearBottom, -zNear, 1.0f};
    eyeCorners[2] = {nearRight, nearTop, -zNear, 1.0f};
    eyeCorners[3] = {nearRight, nearBottom, -zNear, 1.0f};
    eyeCorners[4] = {farLeft, farTop, -zFar, 1.0f};
    eyeCorners[5] = {farLeft, farBottom, -zFar, 1.0f};
    eyeCorners[6] = {farRight, farTop, -zFar, 1.0f};
    eyeCorners[7] = {farRight, farBottom, -zFar, 1.0f};
    return {nearLeft, nearRight, nearBottom, nearTop};
}

void ViewFrustum::SetPerspective(float fovY, float aspect, float zNear, float zFar) {
    const Extents e = RecordCorners(fovY, aspect, zNear, zFar);
    // In single precision, as GL drivers form glFrustum's matrix, so that the
    // picture is the one the projection gave when GL made it.
    const float l = e.nearLeft, r = e.nearRight, b = e.nearBottom, t = e.nearTop, n = zNear, f = zFar;
    projection_ = Mat4f{{(2.0f * n) / (r - l), 0.0f, 0.0f, 0.0f,                           //
                         0.0f, (2.0f * n) / (t - b), 0.0f, 0.0f,                           //
                         (r + l) / (r - l), (t + b) / (t - b), -(f + n) / (f - n), -1.0f,  //
                         0.0f, 0.0f, -(2.0f * f * n) / (f - n), 0.0f}};
}

void ViewFrustum::Update(const Camera& cam) {
    Vec3f vForward, vUp, vOrigin, vCross;
    cam.GetForward(vForward);
    cam.GetUp(vUp);
    cam.GetOrigin(vOrigin);
    vForward = {-vForward.x, -vForward.y, -vForward.z};
    Cross(vCross, vUp, vForward);

    const Mat4f rotMat{{vCross.x, vCross.y, vCross.z, 0.0f,        //
                        vUp.x, vUp.y, vUp.z, 0.0f,                 //
                        vForward.x, vForward.y, vForward.z, 0.0f,  //
                        vOrigin.x, vOrigin.y, vOrigin.z, 1.0f}};
    for (int i = 0; i < 8; ++i) TransformPoint4(worldCorners[i], rotMat, eyeCorners[i]);

    static constexpr int kPlanePoints[6][3] = {{0, 1, 3}, {4, 6, 7}, {1, 0, 4}, {3, 7, 6}, {0, 2, 6}, {1, 5, 7}};
    for (int p = 0; p < 6; ++p) {
        const auto point = [&](int i) {
            const Vec4f& c = worldCorners[kPlanePoints[p][i]];
            return Vec3f{c.x, c.y, c.z};
        };
        PlaneFromPoints(planes[p], point(0), point(1), point(2));
    }
}
