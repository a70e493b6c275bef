// Sizes of a mesh's arrays for given counts, and the bound a loader checks
// them against before it allocates anything.
#pragma once

#include <cstdint>
#include <string>

class Mesh;

// Bytes per vertex over verts, normals and uvs, and per face.
inline constexpr std::uint64_t kBytesPerVertex = (3 + 3 + 2) * sizeof(float);
inline constexpr std::uint64_t kBytesPerFace = 3 * sizeof(std::uint32_t);

// Bytes of all four arrays (cannot overflow: both counts are at most 2^32).
constexpr std::uint64_t MeshArrayBytes(std::uint64_t numVerts, std::uint64_t numFaces) {
    return kBytesPerVertex * numVerts + kBytesPerFace * numFaces;
}

// The machine's physical memory; arrays larger than this are refused up
// front rather than mapped and faulted in until the system gives out.
// TESSA_MEMORY_LIMIT_BYTES, a whole number of bytes, stands in for it where
// set: tests fix the limit with it, and it shows a smaller machine's refusals.
std::uint64_t PhysicalMemoryBytes();
inline bool FitsInPhysicalMemory(std::uint64_t bytes) { return bytes <= PhysicalMemoryBytes(); }

// Empty when the mesh's arrays have exactly the sizes its counts give (what a
// writer relies on), else what is wrong.
std::string CheckMeshArrays(const Mesh& mesh);
