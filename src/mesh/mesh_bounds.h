// The box and the sphere that hold a mesh's positions: what the wheel
// stops at and what the status bar reports.
#pragma once

#include <array>

#include "mesh/mesh.h"

// The axis-aligned box of a mesh's positions (the first numVerts); empty
// when it has none.
struct MeshBounds {
    std::array<float, 3> min{};
    std::array<float, 3> max{};
    bool empty = true;

    float Size(int axis) const { return max[axis] - min[axis]; }
    float Centre(int axis) const { return (min[axis] + max[axis]) / 2.0f; }
    // Half the box's diagonal: the radius of the sphere about its centre
    // that holds the whole model.
    float Radius() const;
};
MeshBounds BoundsOf(const Mesh& mesh);
