// A large test mesh: a latitude-longitude sphere of radius about 4 whose
// radius is pushed in and out by a few overlapping waves, with smooth
// per-vertex normals.
#pragma once

#include <cstdint>

#include "mesh/mesh.h"

struct SphereGrid {
    int stacks = 0;  // bands from pole to pole
    int slices = 0;  // vertices round each ring
    std::uint64_t Vertices() const;
    std::uint64_t Triangles() const;
};

// The grid whose vertex count is nearest to about targetVertices (at least
// 3 stacks and 3 slices), with twice as many slices as stacks.
SphereGrid GridFor(std::uint64_t targetVertices);

// Vertices: the two poles and the rings between them; triangles: a fan at
// each pole and two per quad, counter-clockwise from outside. Texture
// coordinates alternate between 0 and 1. Throws std::bad_alloc when the
// arrays can't be had.
Mesh MakeLumpySphere(const SphereGrid& grid);
