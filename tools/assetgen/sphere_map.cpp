#include "sphere_map.h"

#include <cmath>

#include "assetgen/environment.h"

Vec3d SphereMapReflection(double s, double t) {
    // The GL maps a reflection r to s = rx / m + 1/2, t = ry / m + 1/2 with
    // m = 2 sqrt(rx^2 + ry^2 + (rz + 1)^2). So (2s - 1, 2t - 1) is the x and
    // y of the unit normal n of a mirror sphere facing the eye, and r is the
    // view direction (0, 0, -1) reflected in n.
    double x = 2.0 * s - 1.0;
    double y = 2.0 * t - 1.0;
    const double rim = 0.9995;
    const double radius2 = x * x + y * y;
    if (radius2 > rim * rim) {
        const double k = rim / std::sqrt(radius2);
        x *= k;
        y *= k;
    }
    const double z = std::sqrt(1.0 - x * x - y * y);
    return {2.0 * z * x, 2.0 * z * y, 2.0 * z * z - 1.0};
}

Image RenderSphereMap(int size) {
    return Render(size, size, [](double s, double t) { return GridWorld(SphereMapReflection(s, t)); });
}
