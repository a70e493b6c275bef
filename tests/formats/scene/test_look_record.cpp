// The make-up record the import process sends: what PutLook writes,
// ParseLook reads back; a record cut short, or one that does not fit its
// model, is refused and leaves the model without a make-up.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "formats/scene/look_record.h"
#include "mesh/model_test_support.h"

namespace {

// Four faces in two parts, three materials (one with a file, one with the
// held image), vertex colours.
Mesh LookedMesh() {
    Mesh mesh = MakeMesh(6, 4);
    mesh.parts = {{0, 1, 2}, {1, 3, 0}};
    mesh.materials.resize(3);
    mesh.materials[0].baseColor = {1, 0, 0, 1};
    mesh.materials[1].texturePath = "skin.png";
    mesh.materials[2].embeddedImage = 0;
    mesh.images = {{1, 2, 3, 4, 5}};
    EXPECT_TRUE(mesh.AllocColors());
    for (std::size_t i = 0; i < mesh.colors.size(); ++i) mesh.colors[i] = static_cast<float>(i) / 24.0f;
    return mesh;
}

std::vector<std::uint8_t> Record(const Mesh& mesh) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(PutLook(mesh, [&bytes](std::span<const std::uint8_t> piece) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
        return true;
    }));
    EXPECT_EQ(bytes.size(), LookBytes(mesh));
    return bytes;
}

void ExpectNoLook(const Mesh& mesh) {
    EXPECT_TRUE(mesh.parts.empty());
    EXPECT_TRUE(mesh.materials.empty());
    EXPECT_TRUE(mesh.colors.empty());
    EXPECT_TRUE(mesh.images.empty());
}

TEST(LookRecord, ReadsBackWhatWasWrittenAndRefusesWhatDoesNotFit) {
    const Mesh source = LookedMesh();
    const std::vector<std::uint8_t> bytes = Record(source);
    Mesh back = MakeMesh(6, 4);
    ASSERT_TRUE(ParseLook(bytes, back));
    ASSERT_EQ(back.parts.size(), 2u);
    EXPECT_EQ(back.parts[1].firstFace, 1u);
    EXPECT_EQ(back.parts[1].faceCount, 3u);
    EXPECT_EQ(back.parts[0].material, 2u);
    ASSERT_EQ(back.materials.size(), 3u);
    EXPECT_EQ(back.materials[0].baseColor, source.materials[0].baseColor);
    EXPECT_EQ(back.materials[1].texturePath, "skin.png");
    EXPECT_EQ(back.materials[2].embeddedImage, 0);
    EXPECT_EQ(back.images, source.images);
    ASSERT_EQ(back.colors.size(), 24u);
    for (std::size_t i = 0; i < 24; ++i) EXPECT_EQ(back.colors[i], source.colors[i]);

    // Every record cut short, and one with a byte too many.
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        Mesh shortened = MakeMesh(6, 4);
        EXPECT_FALSE(ParseLook(std::span(bytes).first(cut), shortened)) << cut;
        ExpectNoLook(shortened);
    }
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    Mesh tooLong = MakeMesh(6, 4);
    EXPECT_FALSE(ParseLook(longer, tooLong));

    // Records that don't fit the model they come with.
    struct Misfit {
        const char* name;
        void (*spoil)(Mesh&);
        std::size_t verts;
        std::int32_t faces;
    };
    const Misfit misfits[] = {
        {"a gap between parts", [](Mesh& m) { m.parts[1].firstFace = 2; }, 6, 4},
        {"parts past the faces", [](Mesh& m) { m.parts[1].faceCount = 4; }, 6, 4},
        {"parts short of the faces", [](Mesh&) {}, 6, 5},
        {"a part without faces", [](Mesh& m) { m.parts = {{0, 0, 0}, {0, 4, 0}}; }, 6, 4},
        {"an unknown material", [](Mesh& m) { m.parts[0].material = 3; }, 6, 4},
        {"an unknown image", [](Mesh& m) { m.materials[2].embeddedImage = 1; }, 6, 4},
        {"colours of another vertex count", [](Mesh&) {}, 7, 4},
        {"a colour that is not finite", [](Mesh& m) { m.colors[5] = std::numeric_limits<float>::infinity(); }, 6, 4},
        {"a colour of a material that is not finite", [](Mesh& m) { m.materials[1].baseColor[3] = std::numeric_limits<float>::quiet_NaN(); }, 6,
         4},
    };
    for (const Misfit& misfit : misfits) {
        SCOPED_TRACE(misfit.name);
        Mesh spoiled = LookedMesh();
        misfit.spoil(spoiled);
        Mesh target = MakeMesh(static_cast<std::uint32_t>(misfit.verts), misfit.faces);
        const LoadResult result = ParseLook(Record(spoiled), target);
        EXPECT_FALSE(result);
        EXPECT_NE(result.reason.find("malformed make-up"), std::string::npos) << result.reason;
        ExpectNoLook(target);
    }
}

}  // namespace
