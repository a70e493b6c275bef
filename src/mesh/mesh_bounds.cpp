#include "mesh/mesh_bounds.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

MeshBounds BoundsOf(const Mesh& mesh) {
    MeshBounds bounds;
    const std::size_t count = std::min<std::size_t>(mesh.numVerts, mesh.verts.size() / 3);
    if (count == 0) return bounds;
    bounds.empty = false;
    bounds.min.fill(FLT_MAX);
    bounds.max.fill(-FLT_MAX);
    for (std::size_t i = 0; i < count; ++i)
        for (int axis = 0; axis < 3; ++axis) {
            const float v = mesh.verts[3 * i + axis];
            bounds.min[axis] = std::min(bounds.min[axis], v);
            bounds.max[axis] = std::max(bounds.max[axis], v);
        }
    return bounds;
}

float MeshBounds::Radius() const {
    double squared = 0.0;
    for (int axis = 0; axis < 3; ++axis) squared += static_cast<double>(Size(axis)) * Size(axis) / 4.0;
    return static_cast<float>(std::sqrt(squared));
}
