#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "formats/scene/vertex_join.h"

namespace {

TEST(VertexJoin, EqualVerticesShareOneNumberedInTheOrderOfFirstUse) {
    // Vertices 1 and 3 are equal; vertex 4 is used by no corner.
    const std::vector<float> positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 9, 9, 9};
    const std::vector<std::uint32_t> corners = {2, 3, 0, 0, 1, 2};
    const VertexStream streams[] = {{positions.data(), 3 * sizeof(float), 3 * sizeof(float)}};
    std::vector<std::uint32_t> joined;
    EXPECT_EQ(JoinVertices(corners, 5, streams, joined), 3u);
    EXPECT_EQ(joined, (std::vector<std::uint32_t>{2, 1, 0, 1, kUnusedVertex}));

    // A second stream in which they differ keeps them apart.
    const std::vector<float> normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 1};
    const VertexStream both[] = {streams[0], {normals.data(), 3 * sizeof(float), 3 * sizeof(float)}};
    EXPECT_EQ(JoinVertices(corners, 5, both, joined), 4u);
    EXPECT_EQ(joined, (std::vector<std::uint32_t>{2, 3, 0, 1, kUnusedVertex}));
}

TEST(VertexJoin, MadeNormalsAddTheTrianglesAtEachPositionAndSkipDegenerateOnes) {
    // Two triangles meeting at a right angle along the x axis, sharing no
    // vertex: one in the plane z = 0 (normal +z), one in y = 0 (normal -y).
    // The last triangle has no area.
    const std::vector<float> positions = {0, 0, 0, 1, 0, 0, 0, 1, 0,   // z = 0
                                          0, 0, 0, 1, 0, 0, 0, 0, 1,   // y = 0
                                          5, 5, 5, 6, 6, 6, 7, 7, 7};  // on a line
    const std::vector<std::uint32_t> corners = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    const float h = 1.0f / std::sqrt(2.0f);
    // Smooth everywhere: the corners at (0,0,0) and (1,0,0) are one vertex each.
    const MadeNormals smooth = NormalsFromTriangles(positions, corners, -2.0f);
    // One normal for each joined vertex.
    const std::vector<float> expected = {0, -h, h, 0, -h, h, 0, 0, 1, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(smooth.normals.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(smooth.normals[i], expected[i], 1e-6f) << i;
    EXPECT_EQ(smooth.joined, (std::vector<std::uint32_t>{0, 1, 2, 0, 1, 3, 4, 5, 6}));
    EXPECT_EQ(smooth.count, 7u);

    // Where the right angle is sharper than allowed, every corner keeps its triangle's normal.
    const MadeNormals sharp = NormalsFromTriangles(positions, corners, 0.5f);
    const std::vector<float> flat = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(sharp.normals.size(), flat.size());
    for (std::size_t i = 0; i < flat.size(); ++i) EXPECT_NEAR(sharp.normals[i], flat[i], 1e-6f) << i;
    EXPECT_EQ(sharp.count, 9u);
}

TEST(VertexJoin, NegativeZerosBecomeZerosAndOtherValuesStay) {
    std::vector<float> values = {-0.0f, 0.0f, -1.5f, 2.0f};
    ClearNegativeZeros(values);
    EXPECT_FALSE(std::signbit(values[0]));
    EXPECT_FALSE(std::signbit(values[1]));
    EXPECT_EQ(values[2], -1.5f);
    EXPECT_EQ(values[3], 2.0f);
}

}  // namespace
