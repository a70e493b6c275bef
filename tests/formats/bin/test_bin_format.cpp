#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "formats/bin/bin_format.h"
#include "mesh/model_test_support.h"

namespace {

// Appends little-endian 32-bit values.
void Put(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void PutFloat(std::vector<std::uint8_t>& bytes, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    Put(bytes, bits);
}

// The three-vertex, one-face model, laid out by hand: 120 bytes.
std::vector<std::uint8_t> TriangleFile(std::uint32_t numTextures = 0) {
    std::vector<std::uint8_t> bytes;
    Put(bytes, 3);
    Put(bytes, 1);
    Put(bytes, numTextures);
    for (float v : {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, -0.1f}) PutFloat(bytes, v);
    for (float v : {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.6f, 0.8f}) PutFloat(bytes, v);
    for (float v : {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.5f}) PutFloat(bytes, v);
    for (std::uint32_t i : {0u, 1u, 2u}) Put(bytes, i);
    return bytes;
}

// A loaded model with an own texture, which no refused load may change.
Mesh PreviousModel() {
    Mesh mesh = MakeMesh(4, 2, 1);
    mesh.texturePath = "Assets/crate.bmp";
    return mesh;
}

class BinFile : public testing::Test {
protected:
    std::string Write(const std::vector<std::uint8_t>& bytes, const std::string& name = "model.bin") {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(WriteFile(path, bytes.data(), bytes.size()));
        return path;
    }
    TempDir dir_;
};

TEST_F(BinFile, RoundTripKeepsEveryBit) {
    const Mesh source = MakeMesh(50, 33, 2);
    const std::string path = dir_.File("round.bin");
    const WriteResult written = WriteBIN(source, path);
    ASSERT_TRUE(written) << written.reason;
    EXPECT_EQ(std::filesystem::file_size(path), 12u + 32u * 50 + 12u * 33);

    Mesh loaded = PreviousModel();
    const LoadResult result = ReadBIN(path, loaded);
    ASSERT_TRUE(result) << result.reason;
    MeshSnapshot got = Snapshot(loaded), want = Snapshot(source);
    got.vertsAddress = want.vertsAddress = nullptr;
    got.texturePath = want.texturePath;
    EXPECT_EQ(got, want);
}

TEST_F(BinFile, ThreeVertexFileHasExactlyTheStoredValues) {
    const std::vector<std::uint8_t> bytes = TriangleFile();
    ASSERT_EQ(bytes.size(), 120u);
    for (const bool fromFile : {false, true}) {
        SCOPED_TRACE(fromFile ? "file" : "memory");
        Mesh mesh = PreviousModel();
        const LoadResult result = fromFile ? ReadBIN(Write(bytes), mesh) : ParseBIN(bytes, mesh);
        ASSERT_TRUE(result) << result.reason;
        EXPECT_EQ(mesh.numVerts, 3u);
        EXPECT_EQ(mesh.numFaces, 1);
        EXPECT_EQ(mesh.numTextures, 0u);
        EXPECT_EQ(mesh.verts[8], -0.1f);
        EXPECT_EQ(mesh.normals[7], 0.6f);
        EXPECT_EQ(mesh.uvs[5], 1.5f);
        EXPECT_EQ(mesh.faces[2], 2u);
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 12, bytes.begin() + 48), BytesOf(mesh.verts));

        // Written back, the same 120 bytes.
        const std::string out = dir_.File("back.bin");
        const WriteResult written = WriteBIN(mesh, out);
        ASSERT_TRUE(written) << written.reason;
        Mesh reread;
        ASSERT_TRUE(ReadBIN(out, reread));
        EXPECT_EQ(Snapshot(reread).faces, Snapshot(mesh).faces);
        EXPECT_EQ(std::filesystem::file_size(out), 120u);
    }
}

TEST_F(BinFile, TextureCountIsCopiedAndBytesAfterTheModelAreIgnored) {
    std::vector<std::uint8_t> bytes = TriangleFile(1);
    bytes.insert(bytes.end(), {0xde, 0xad, 0xbe, 0xef, 0xff});
    Mesh mesh;
    ASSERT_TRUE(ReadBIN(Write(bytes), mesh));
    EXPECT_EQ(mesh.numTextures, 1u);
    EXPECT_EQ(mesh.uvs.size(), 6u);
}

TEST_F(BinFile, TwelveByteFileGivesAnEmptyModel) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 3; ++i) Put(bytes, 0);
    Mesh mesh = PreviousModel();
    ASSERT_TRUE(ReadBIN(Write(bytes), mesh));
    EXPECT_EQ(mesh.numVerts, 0u);
    EXPECT_EQ(mesh.numFaces, 0);
    EXPECT_TRUE(mesh.verts.empty());
    EXPECT_TRUE(mesh.faces.empty());
}

struct Refusal {
    const char* what;
    std::vector<std::uint8_t> bytes;
};

std::vector<Refusal> Refusals() {
    std::vector<Refusal> cases;
    const std::vector<std::uint8_t> good = TriangleFile();
    for (std::size_t size : {0, 1, 5, 11, 12, 13, 48, 84, 107, 119})
        cases.push_back({"short file", std::vector<std::uint8_t>(good.begin(), good.begin() + size)});

    std::vector<std::uint8_t> huge;
    Put(huge, 0xFFFFFFFFu);
    Put(huge, 0x7FFFFFFF);
    Put(huge, 0);
    cases.push_back({"huge counts", huge});
    std::vector<std::uint8_t> hugeFaces = good;
    hugeFaces[4] = 0xFF, hugeFaces[5] = 0xFF, hugeFaces[6] = 0xFF, hugeFaces[7] = 0x0F;
    cases.push_back({"face count beyond the file", hugeFaces});

    std::vector<std::uint8_t> negative;
    Put(negative, 0);
    Put(negative, static_cast<std::uint32_t>(-1));
    Put(negative, 0);
    cases.push_back({"negative face count", negative});

    std::vector<std::uint8_t> badIndex = good;
    badIndex[116] = 3;  // faceC = numVerts
    cases.push_back({"index equal to the vertex count", badIndex});
    badIndex[116] = 0xFF, badIndex[117] = 0xFF, badIndex[118] = 0xFF, badIndex[119] = 0xFF;
    cases.push_back({"index -1", badIndex});

    std::vector<std::uint8_t> facesWithoutVerts;
    Put(facesWithoutVerts, 0);
    Put(facesWithoutVerts, 1);
    Put(facesWithoutVerts, 0);
    for (int i = 0; i < 3; ++i) Put(facesWithoutVerts, 0);
    cases.push_back({"faces without vertices", facesWithoutVerts});
    return cases;
}

TEST_F(BinFile, EveryRefusalLeavesThePreviousModelUntouched) {
    for (const Refusal& refusal : Refusals()) {
        SCOPED_TRACE(std::string(refusal.what) + ", " + std::to_string(refusal.bytes.size()) + " bytes");
        for (const bool fromFile : {false, true}) {
            Mesh mesh = PreviousModel();
            const MeshSnapshot before = Snapshot(mesh);
            const LoadResult result = fromFile ? ReadBIN(Write(refusal.bytes), mesh) : ParseBIN(refusal.bytes, mesh);
            EXPECT_FALSE(result.ok);
            EXPECT_FALSE(result.cancelled);
            EXPECT_FALSE(result.reason.empty());
            EXPECT_EQ(Snapshot(mesh), before);
        }
    }
}

TEST_F(BinFile, MissingFileIsRefusedWithItsReason) {
    Mesh mesh = PreviousModel();
    const MeshSnapshot before = Snapshot(mesh);
    const LoadResult result = ReadBIN(dir_.File("absent.bin"), mesh);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.reason.find("No such file"), std::string::npos) << result.reason;
    EXPECT_EQ(Snapshot(mesh), before);
    EXPECT_FALSE(ReadBIN(dir_.File(""), mesh).ok);  // a folder
}

TEST_F(BinFile, ReasonsNameTheFault) {
    Mesh mesh;
    std::vector<std::uint8_t> bytes = TriangleFile();
    bytes[112] = 9;
    EXPECT_EQ(ParseBIN(bytes, mesh).reason, "face 0 uses vertex 9, but the model has 3 vertices");
    bytes.resize(100);
    EXPECT_EQ(ParseBIN(bytes, mesh).reason, "the file has 100 bytes, but 3 vertices and 1 faces need 120");
}

TEST_F(BinFile, ProgressReachesTheEndAndFalseCancels) {
    const Mesh source = MakeMesh(400000, 100000);  // ~14 MB: several pieces
    const std::string path = dir_.File("big.bin");
    const WriteResult written = WriteBIN(source, path);
    ASSERT_TRUE(written) << written.reason;
    const std::uint64_t total = std::filesystem::file_size(path);

    std::vector<std::uint64_t> seen;
    Mesh mesh;
    ASSERT_TRUE(ReadBIN(path, mesh, [&](std::uint64_t done, std::uint64_t all) {
        EXPECT_EQ(all, total);
        seen.push_back(done);
        return true;
    }));
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), total);
    EXPECT_EQ(BytesOf(mesh.faces), BytesOf(source.faces));

    Mesh kept = PreviousModel();
    const MeshSnapshot before = Snapshot(kept);
    int calls = 0;
    const LoadResult cancelled = ReadBIN(path, kept, [&](std::uint64_t, std::uint64_t) { return ++calls < 2; });
    EXPECT_FALSE(cancelled.ok);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(Snapshot(kept), before);
}

}  // namespace
