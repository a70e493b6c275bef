// Joining the corners of an imported mesh's triangles, and normals for a
// mesh that has none: what the import library's own steps did, on the
// arrays it reads, in a fraction of their time and memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// One attribute of every vertex: bytes of it at each stride bytes from data.
struct VertexStream {
    const void* data = nullptr;
    std::size_t bytes = 0;
    std::size_t stride = 0;
};

// The most streams JoinVertices compares.
inline constexpr std::size_t kMaxJoinStreams = 16;

// The joined index of a vertex no triangle uses.
inline constexpr std::uint32_t kUnusedVertex = UINT32_MAX;

// Maps each of vertexCount vertices to its joined one: vertices whose
// streams are equal byte for byte share one, numbered in the order the
// corners (3 per triangle, each < vertexCount) first use them; a vertex no
// corner uses maps to kUnusedVertex. Returns the number of joined vertices.
// At most kMaxJoinStreams streams.
std::uint32_t JoinVertices(std::span<const std::uint32_t> corners, std::size_t vertexCount,
                           std::span<const VertexStream> streams, std::vector<std::uint32_t>& joined);

// Normals made from the triangles, with the vertices they join.
struct MadeNormals {
    std::vector<float> normals;         // 3 per joined vertex; zero where no triangle with an area meets
    std::vector<std::uint32_t> joined;  // vertex to joined vertex, as JoinVertices gives it
    std::uint32_t count = 0;            // joined vertices
};

// Normals for a mesh whose file gives none, or only one per triangle (3
// floats per vertex in positions, 3 corners per triangle). The corners at
// one position form groups: a corner joins the first group there whose
// first triangle's normal is within the angle whose cosine is minCosine of
// its own triangle's (below -1: every corner at a position is one group), so
// that a smooth surface shades smooth and an edge sharper than that angle
// stays sharp. A group is one vertex, its normal the sum of its triangles'
// unit normals made unit length; degenerate triangles add nothing. A vertex
// that several corners use stays one vertex, in the group of the first.
MadeNormals NormalsFromTriangles(std::span<const float> positions, std::span<const std::uint32_t> corners,
                                 float minCosine);

// Replaces negative zeros by zeros, so that byte-for-byte joining takes
// -0 and 0 alike as the library's comparison of values did.
void ClearNegativeZeros(std::span<float> values);
