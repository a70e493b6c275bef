// Small model files in the common formats, written out by hand.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A unit cube as OBJ: 8 positions, 4 texture coordinates, 6 normals, 6 quads,
// using the material "skin" from materialLibrary when that is not empty.
std::string CubeObj(const std::string& materialLibrary = {});

// Two groups of two triangles under two materials, "red" and "blue", from
// materialLibrary; no corner is shared between the groups, so the library
// makes two meshes of them. The triangles, each as its three corners:
//   red:  (0,0,0) (1,0,0) (0,1,0)   (1,0,0) (1,1,0) (0,1,0)
//   blue: (5,5,5) (7,5,5) (5,7,5)   (7,5,5) (7,7,5) (5,7,5)
std::string TwoMaterialObj(const std::string& materialLibrary);
std::string TwoMaterialMtl();

// One triangle, (0,0,0) (1,0,0) (0,1,0), drawn by two nodes: the first moved
// by (10,0,0); the second scales by 2 and has a child moved by (0,0,5).
// bufferUri empty: the buffer is the GLB's binary chunk.
std::string TwoNodeGltfJson(const std::string& bufferUri);
Bytes TriangleBuffer();  // the 36 bytes of the three positions
Bytes Glb(std::string json, const Bytes& binary);

// A binary STL of one triangle, (0,0,0) (1,0,0) (0,1,0): the 84-byte header
// and one 50-byte record, 134 bytes.
Bytes OneTriangleStl();

// A binary STL of the unit cube: 12 triangles, two for each side, wound
// counter-clockwise seen from outside, each with its side's outward normal,
// or with (0,0,0) for a normal when zeroNormals.
Bytes CubeStl(bool zeroNormals = false);

// A binary STL of the given triangles (9 floats each, the corners), every
// normal (0,0,0).
Bytes StlOf(const std::vector<std::array<float, 9>>& triangles);

// A regular octahedron as OBJ without normals: 6 positions at 1 on each
// axis, 8 triangles facing outwards.
std::string OctahedronObj();

// Bytes as text and back.
inline Bytes ToBytes(const std::string& text) { return {text.begin(), text.end()}; }
