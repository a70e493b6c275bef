#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "mesh/mesh.h"
#include "mesh/model_test_support.h"

namespace {

TEST(MeshOps, ScaleDownThenUpLeavesNinetyNinePercentAndKeepsNormals) {
    Mesh mesh = MakeMesh(10, 2);
    const Mesh before = MakeMesh(10, 2);
    mesh.Scale(0.9f);
    mesh.Scale(1.1f);
    for (std::size_t i = 0; i < mesh.verts.size(); ++i)
        EXPECT_NEAR(mesh.verts[i], 0.99f * before.verts[i], 1e-6f * std::fabs(before.verts[i]) + 1e-7f) << i;
    EXPECT_EQ(BytesOf(mesh.normals), BytesOf(before.normals));
    EXPECT_EQ(BytesOf(mesh.uvs), BytesOf(before.uvs));
}

TEST(MeshOps, FlipNormalsTwiceRestoresTheBits) {
    Mesh mesh = MakeMesh(7, 1);
    mesh.normals[0] = 0.0f;  // +0 turns into -0 and back
    const auto before = BytesOf(mesh.normals);
    mesh.FlipNormals();
    EXPECT_TRUE(std::signbit(mesh.normals[0]));
    // MakeMesh gives normal i the value 1 / (i + 1): every one of them, the last included, is negated.
    for (std::size_t i = 1; i < mesh.normals.size(); ++i) {
        EXPECT_EQ(mesh.normals[i], -1.0f / static_cast<float>(i + 1)) << i;
    }
    mesh.FlipNormals();
    EXPECT_EQ(BytesOf(mesh.normals), before);
}

TEST(MeshOps, NormalizeNormalsGivesUnitLengthAndLeavesZeroNormalsZero) {
    Mesh mesh = MakeMesh(4, 0);
    const float raw[12] = {3, 4, 0, 0, 0, 0, 1e-40f, 0, 0, -2, 2, 1};
    std::memcpy(mesh.normals.data(), raw, sizeof raw);
    mesh.NormalizeNormals();
    EXPECT_EQ(mesh.normals[0], 0.6f);
    EXPECT_EQ(mesh.normals[1], 0.8f);
    for (int k = 3; k < 6; ++k) EXPECT_EQ(mesh.normals[k], 0.0f);  // no NaN for a zero normal
    EXPECT_NEAR(mesh.normals[6], 1.0f, 1e-6f);                     // a denormal normal still becomes unit length
    for (std::size_t v = 0; v < 4; ++v) {
        if (v == 1) continue;
        const float* n = &mesh.normals[3 * v];
        EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-6f) << v;
    }
}

TEST(MeshOps, AllocationsAreZeroFilledAndSizedByTheCounts) {
    Mesh mesh = MakeMesh(3, 2);
    EXPECT_EQ(mesh.verts.size(), 9u);
    EXPECT_EQ(mesh.normals.size(), 9u);
    EXPECT_EQ(mesh.uvs.size(), 6u);
    EXPECT_EQ(mesh.faces.size(), 6u);
    ASSERT_TRUE(mesh.AllocVerts());
    for (float v : mesh.verts) EXPECT_EQ(v, 0.0f);
    mesh.numFaces = -1;
    EXPECT_FALSE(mesh.AllocFaces());
    EXPECT_TRUE(mesh.faces.empty());
}

// Nothing to compare: any touch of the missing arrays shows under ASan and UBSan.
TEST(MeshOps, OperationsOnAnEmptyMeshDoNothing) {
    Mesh mesh;
    mesh.Scale(2.0f);
    mesh.Fit(2.0f);
    mesh.FlipNormals();
    mesh.NormalizeNormals();
}

TEST(ZeroedArrayTest, MovingLeavesTheSourceEmptyAndLargeBlocksZeroed) {
    ZeroedArray<float> a;
    ASSERT_TRUE(a.Allocate(1 << 20));  // large enough to be mapped
    EXPECT_EQ(a[12345], 0.0f);
    a[5] = 2.0f;
    ZeroedArray<float> b(std::move(a));
    EXPECT_EQ(a.size(), 0u);
    EXPECT_EQ(a.data(), nullptr);
    EXPECT_EQ(b[5], 2.0f);
    ZeroedArray<float> c;
    c = std::move(b);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(c.size(), std::size_t{1} << 20);
}

TEST(MaxIndexTest, FindsTheLargestAtAnyPosition) {
    std::vector<std::uint32_t> indices(1000, 5);
    EXPECT_EQ(MaxIndex(indices), 5u);
    EXPECT_EQ(MaxIndex({}), 0u);
    for (std::size_t at : {0, 1, 15, 16, 17, 500, 991, 999}) {
        std::vector<std::uint32_t> v(indices.begin(), indices.begin() + 1000);
        v[at] = 0xFFFFFFFFu;
        EXPECT_EQ(MaxIndex(v), 0xFFFFFFFFu) << at;
        v.resize(at + 1);
        EXPECT_EQ(MaxIndex(v), 0xFFFFFFFFu) << at;
    }
}

}  // namespace
