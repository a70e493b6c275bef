#include "lumpy_sphere.h"

#include <cmath>
#include <vector>

#include "common/circle.h"
#include "common/mesh_builder.h"
#include "common/vec_ops.h"

namespace {

// Relative change of the radius along a unit direction.
double Bumps(const Vec3d& d) {
    return 0.06 * std::sin(5.0 * d.x + 1.0) * std::sin(6.0 * d.y + 2.0) * std::sin(7.0 * d.z + 3.0) +
           0.02 * std::sin(23.0 * d.x) * std::sin(19.0 * d.y + 0.5) * std::sin(29.0 * d.z + 1.5);
}

constexpr double kRadius = 4.0;

}  // namespace

std::uint64_t SphereGrid::Vertices() const {
    return 2 + static_cast<std::uint64_t>(stacks - 1) * static_cast<std::uint64_t>(slices);
}

std::uint64_t SphereGrid::Triangles() const {
    return 2 * static_cast<std::uint64_t>(slices) * static_cast<std::uint64_t>(stacks - 1);
}

SphereGrid GridFor(std::uint64_t targetVertices) {
    // (stacks - 1) * slices + 2 vertices with slices = 2 * stacks.
    SphereGrid grid;
    grid.stacks = static_cast<int>(std::lround(std::sqrt(static_cast<double>(targetVertices) / 2.0)));
    if (grid.stacks < 3) {
        grid.stacks = 3;
    }
    const double ringVertices = (static_cast<double>(targetVertices) - 2.0) / (grid.stacks - 1);
    grid.slices = static_cast<int>(std::lround(ringVertices));
    if (grid.slices < 3) {
        grid.slices = 3;
    }
    return grid;
}

Mesh MakeLumpySphere(const SphereGrid& grid) {
    const int stacks = grid.stacks;
    const int slices = grid.slices;
    const auto count = static_cast<std::size_t>(grid.Vertices());

    std::vector<Vec3d> points;
    points.reserve(count);
    const auto push = [&](const Vec3d& d) { points.push_back(d * (kRadius * (1.0 + Bumps(d)))); };
    push({0.0, 1.0, 0.0});
    for (int i = 1; i < stacks; ++i) {
        const CosSin polar = UnitCircle(i, 2 * stacks);
        for (int j = 0; j < slices; ++j) {
            const CosSin around = UnitCircle(j, slices);
            push({polar.s * around.s, polar.c, polar.s * around.c});
        }
    }
    push({0.0, -1.0, 0.0});

    std::vector<std::uint32_t> triangles;
    triangles.reserve(3 * static_cast<std::size_t>(grid.Triangles()));
    const auto ring = [&](int i, int j) {  // i from 1 to stacks - 1
        return static_cast<std::uint32_t>(1 + static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(slices) +
                                          static_cast<std::size_t>(j % slices));
    };
    const auto south = static_cast<std::uint32_t>(count - 1);
    for (int j = 0; j < slices; ++j) {
        triangles.insert(triangles.end(), {ring(1, j), ring(1, j + 1), 0u});
        for (int i = 1; i < stacks - 1; ++i) {
            // ring(i + 1, ...) lies below ring(i, ...); j + 1 lies to the right seen from outside.
            triangles.insert(triangles.end(), {ring(i + 1, j), ring(i + 1, j + 1), ring(i, j + 1)});
            triangles.insert(triangles.end(), {ring(i + 1, j), ring(i, j + 1), ring(i, j)});
        }
        triangles.insert(triangles.end(), {south, ring(stacks - 1, j + 1), ring(stacks - 1, j)});
    }

    // Smooth normals: the area-weighted sum of the normals of the triangles
    // around each vertex.
    std::vector<Vec3d> sums(count, Vec3d{0.0, 0.0, 0.0});
    for (std::size_t t = 0; t < triangles.size(); t += 3) {
        const Vec3d& a = points[triangles[t]];
        const Vec3d& b = points[triangles[t + 1]];
        const Vec3d& c = points[triangles[t + 2]];
        Vec3d n;
        Cross(n, Vec3d{b.x - a.x, b.y - a.y, b.z - a.z}, Vec3d{c.x - a.x, c.y - a.y, c.z - a.z});
        for (std::size_t k = 0; k < 3; ++k) {
            sums[triangles[t + k]] = sums[triangles[t + k]] + n;
        }
    }

    MeshBuilder builder;
    builder.Reserve(count, triangles.size() / 3);
    for (std::size_t v = 0; v < count; ++v) {
        // Parity of the ring and of the position round it.
        const std::size_t inRing = v == 0 || v == count - 1 ? 0 : (v - 1) % static_cast<std::size_t>(slices);
        const std::size_t ringIndex = v == 0 ? 0 : (v - 1) / static_cast<std::size_t>(slices) + 1;
        builder.AddVertex(points[v], Unit(sums[v]), static_cast<int>(inRing % 2), static_cast<int>(ringIndex % 2));
    }
    for (std::size_t t = 0; t < triangles.size(); t += 3) {
        builder.AddTriangle(triangles[t], triangles[t + 1], triangles[t + 2]);
    }
    return builder.Build();
}
