#include "models.h"

#include "common/circle.h"
#include "common/mesh_builder.h"
#include "common/vec_ops.h"

namespace {

struct Side {
    Vec3d normal;
    Vec3d right;  // texture u grows this way
    Vec3d up;     // texture v grows this way; right x up = normal
};

// The upright sides keep v along +y; the top's up points away from the
// front side and the bottom's towards it, as if the cube were unfolded.
constexpr Side kSides[] = {
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},    // front (+z)
    {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},   // right (+x)
    {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},  // back (-z)
    {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   // left (-x)
    {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},   // top (+y)
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},   // bottom (-y)
};

Vec3d Corner(const Side& side, double u, double v) {
    const auto c = [&](double n, double r, double w) { return 0.5 * n + (u - 0.5) * r + (v - 0.5) * w; };
    return {c(side.normal.x, side.right.x, side.up.x), c(side.normal.y, side.right.y, side.up.y),
            c(side.normal.z, side.right.z, side.up.z)};
}

// Point on the sphere at stack i (0 at the north pole) and slice j (0 on +z,
// growing towards +x).
Vec3d SpherePoint(int i, int stacks, int j, int slices) {
    const CosSin polar = UnitCircle(i, 2 * stacks);
    const CosSin around = UnitCircle(j, slices);
    return {polar.s * around.s, polar.c, polar.s * around.c};
}

}  // namespace

Mesh MakeCube(const std::string& texturePath) {
    MeshBuilder b;
    for (const Side& side : kSides) {
        const auto v00 = b.AddVertex(Corner(side, 0, 0), side.normal, 0, 0);
        const auto v10 = b.AddVertex(Corner(side, 1, 0), side.normal, 1, 0);
        const auto v11 = b.AddVertex(Corner(side, 1, 1), side.normal, 1, 1);
        const auto v01 = b.AddVertex(Corner(side, 0, 1), side.normal, 0, 1);
        b.AddTriangle(v00, v10, v11);
        b.AddTriangle(v00, v11, v01);
    }
    return b.Build(texturePath);
}

Mesh MakeSphere(double radius, int slices, int stacks, const std::string& texturePath) {
    MeshBuilder b;
    const auto vertex = [&](int i, int j, int u, int v) {
        const Vec3d n = SpherePoint(i, stacks, j, slices);
        return b.AddVertex(n * radius, n, u, v);
    };
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            // Seen from outside, slice j + 1 lies to the right and stack i above.
            const auto bottomLeft = vertex(i + 1, j, 0, 0);
            const auto bottomRight = vertex(i + 1, j + 1, 1, 0);
            const auto topRight = vertex(i, j + 1, 1, 1);
            if (i == 0) {
                b.AddTriangle(bottomLeft, bottomRight, topRight);  // the top corners meet at the pole
                continue;
            }
            const auto topLeft = vertex(i, j, 0, 1);
            if (i == stacks - 1) {
                b.AddTriangle(bottomLeft, topRight, topLeft);  // the bottom corners meet at the pole
            } else {
                b.AddTriangle(bottomLeft, bottomRight, topRight);
                b.AddTriangle(bottomLeft, topRight, topLeft);
            }
        }
    }
    return b.Build(texturePath);
}

Mesh MakeTorus(double ringRadius, double tubeRadius, int ringSegments, int tubeSegments) {
    const CosSin tilt = UnitCircle(1, 12);  // 30 degrees
    const auto tip = [&](const Vec3d& v) {
        return Vec3d{v.x, v.y * tilt.c - v.z * tilt.s, v.y * tilt.s + v.z * tilt.c};
    };
    MeshBuilder b;
    for (int i = 0; i < tubeSegments; ++i) {
        const CosSin tube = UnitCircle(i, tubeSegments);
        for (int j = 0; j < ringSegments; ++j) {
            const CosSin ring = UnitCircle(j, ringSegments);
            const Vec3d outward{ring.c, ring.s, 0.0};
            const Vec3d normal = outward * tube.c + Vec3d{0.0, 0.0, tube.s};
            const Vec3d position = outward * ringRadius + normal * tubeRadius;
            b.AddVertex(tip(position), tip(normal), j % 2, i % 2);
        }
    }
    const auto index = [&](int i, int j) {
        return static_cast<std::uint32_t>((i % tubeSegments) * ringSegments + (j % ringSegments));
    };
    for (int i = 0; i < tubeSegments; ++i) {
        for (int j = 0; j < ringSegments; ++j) {
            // Along the ring (j) and then round the tube (i) is counter-clockwise from outside.
            b.AddTriangle(index(i, j), index(i, j + 1), index(i + 1, j + 1));
            b.AddTriangle(index(i, j), index(i + 1, j + 1), index(i + 1, j));
        }
    }
    return b.Build();
}
