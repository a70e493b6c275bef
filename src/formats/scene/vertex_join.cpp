#include "formats/scene/vertex_join.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <array>
#include <cmath>

std::uint32_t JoinVertices(std::span<const std::uint32_t> corners, std::size_t vertexCount,
                           std::span<const VertexStream> streams, std::vector<std::uint32_t>& joined) {
    std::array<meshopt_Stream, kMaxJoinStreams> all{};
    const std::size_t count = std::min(streams.size(), all.size());
    for (std::size_t i = 0; i < count; ++i) all[i] = {streams[i].data, streams[i].bytes, streams[i].stride};
    joined.assign(vertexCount, kUnusedVertex);
    if (corners.empty() || vertexCount == 0) return 0;
    return static_cast<std::uint32_t>(meshopt_generateVertexRemapMulti(joined.data(), corners.data(), corners.size(),
                                                                       vertexCount, all.data(), count));
}

namespace {

// The unit normal of the triangle at corners c, c+1, c+2; zero when it has no area.
std::array<float, 3> TriangleNormal(std::span<const float> positions, std::span<const std::uint32_t> corners,
                                    std::size_t c) {
    const float* a = &positions[3 * std::size_t{corners[c]}];
    const float* b = &positions[3 * std::size_t{corners[c + 1]}];
    const float* d = &positions[3 * std::size_t{corners[c + 2]}];
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, w[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
    const std::array<float, 3> n = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0.0f) || !std::isfinite(length)) return {0.0f, 0.0f, 0.0f};
    return {n[0] / length, n[1] / length, n[2] / length};
}

bool IsZero(const std::array<float, 3>& v) { return v[0] == 0.0f && v[1] == 0.0f && v[2] == 0.0f; }

// The corners at one position whose triangles face alike.
struct Group {
    std::array<float, 3> first{};  // the first triangle's normal (zero: none with an area yet)
    std::array<float, 3> sum{};
    std::uint32_t next = kUnusedVertex;  // the next group at the same position
};

}  // namespace

MadeNormals NormalsFromTriangles(std::span<const float> positions, std::span<const std::uint32_t> corners,
                                 float minCosine) {
    const std::size_t vertices = positions.size() / 3;
    MadeNormals made;
    made.joined.assign(vertices, kUnusedVertex);
    if (vertices == 0 || corners.empty()) return made;
    // Each position's first group, by the position's number.
    std::vector<std::uint32_t> place(vertices);
    const std::size_t positionCount = meshopt_generateVertexRemap(place.data(), corners.data(), corners.size(),
                                                                  positions.data(), vertices, 3 * sizeof(float));
    std::vector<std::uint32_t> firstGroup(positionCount, kUnusedVertex);
    std::vector<Group> groups;
    groups.reserve(positionCount);
    for (std::size_t c = 0; c + 2 < corners.size(); c += 3) {
        const std::array<float, 3> n = TriangleNormal(positions, corners, c);
        const bool flat = IsZero(n);
        for (std::size_t k = c; k < c + 3; ++k) {
            const std::uint32_t v = corners[k];
            std::uint32_t g = made.joined[v];
            if (g == kUnusedVertex) {
                std::uint32_t* link = &firstGroup[place[v]];
                while (*link != kUnusedVertex) {
                    const Group& at = groups[*link];
                    const float cosine = at.first[0] * n[0] + at.first[1] * n[1] + at.first[2] * n[2];
                    if (flat || IsZero(at.first) || minCosine < -1.0f || cosine >= minCosine) break;
                    link = &groups[*link].next;
                }
                g = *link;
                if (g == kUnusedVertex) {
                    g = static_cast<std::uint32_t>(groups.size());
                    *link = g;  // before the push, which may move the group link points into
                    groups.push_back({});
                }
                made.joined[v] = g;
            }
            Group& group = groups[g];
            if (IsZero(group.first)) group.first = n;
            for (int i = 0; i < 3; ++i) group.sum[i] += n[i];
        }
    }
    made.count = static_cast<std::uint32_t>(groups.size());
    made.normals.assign(3 * groups.size(), 0.0f);
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const std::array<float, 3>& s = groups[g].sum;
        const float length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
        if (!(length > 0.0f)) continue;
        for (int i = 0; i < 3; ++i) made.normals[3 * g + i] = s[i] / length;
    }
    return made;
}

void ClearNegativeZeros(std::span<float> values) {
    for (float& value : values) value += 0.0f;  // -0 + 0 is +0; every other value is unchanged
}
