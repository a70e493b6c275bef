// The committed Assets/ folder is exactly what the generator writes; the DXT1
// blocks of the DDS files, which depend on the system's libsquish, only look
// the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>

#include "assetgen/assets.h"
#include "textures/encode/image_encoders.h"
#include "support/dxt_decode.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kAssets = fs::path(TESSA_SOURCE_DIR) / "Assets";

std::vector<char> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::vector<char>& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes.at(at + i))) << (8 * i);
    }
    return v;
}

// Two DXT1 DDS files of the same header: every level decoded, the mean
// difference per channel.
double MeanDxt1Difference(const std::vector<char>& a, const std::vector<char>& b) {
    std::uint32_t width = U32(a, 16), height = U32(a, 12);
    std::size_t at = 128;
    double sum = 0;
    std::size_t count = 0;
    for (std::uint32_t level = 0; level < U32(a, 28); ++level) {
        const std::size_t bytes = std::size_t{(width + 3) / 4} * ((height + 3) / 4) * 8;
        const auto blocks = [&](const std::vector<char>& file) {
            return std::span(reinterpret_cast<const std::uint8_t*>(file.data()) + at, bytes);
        };
        const auto pa = DecodeS3TC(1, blocks(a), static_cast<int>(width), static_cast<int>(height));
        const auto pb = DecodeS3TC(1, blocks(b), static_cast<int>(width), static_cast<int>(height));
        for (std::size_t i = 0; i < pa.size(); ++i) sum += std::abs(pa[i] - pb[i]);
        count += pa.size();
        at += bytes;
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    }
    return count == 0 ? 0.0 : sum / static_cast<double>(count);
}

std::vector<std::string> CommittedFiles() {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(kAssets)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().lexically_relative(kAssets).generic_string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Assets, RegeneratedFilesEqualTheCommittedOnesByteForByte) {
    TempDir dir;
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(GenerateAssets(dir.Path(), written, error)) << error;
    std::sort(written.begin(), written.end());
    // Nothing stale or hand-made in the folder, nothing missing from it.
    EXPECT_EQ(written, CommittedFiles()) << "regenerate with: cmake --build <build> --target assets";
    for (const std::string& name : written) {
        const auto fresh = Bytes(dir.Path() / name);
        const auto committed = Bytes(kAssets / name);
        ASSERT_EQ(fresh.size(), committed.size()) << name;
        if (fs::path(name).extension() == ".dds") {
            EXPECT_TRUE(std::equal(fresh.begin(), fresh.begin() + 128, committed.begin())) << name << " header";
            EXPECT_LT(MeanDxt1Difference(fresh, committed), 1.0) << name;
            continue;
        }
        const auto diff = std::mismatch(fresh.begin(), fresh.end(), committed.begin());
        EXPECT_TRUE(diff.first == fresh.end()) << name << " differs first at byte " << (diff.first - fresh.begin());
    }
}

TEST(Assets, EveryFileTheViewerLooksForIsGenerated) {
    std::vector<std::string> wanted{"spheremap.bmp", "spheremap.tga", "spheremap.dds", "TexturedCube.xml", "crate.bmp"};
    for (const char* face : {"posx", "negx", "posy", "negy", "posz", "negz"}) {
        wanted.push_back(std::string("Terrain_") + face + ".bmp");
        wanted.push_back(std::string("cube_face_") + face + ".dds");
    }
    const auto committed = CommittedFiles();
    for (const std::string& name : wanted) {
        EXPECT_TRUE(std::binary_search(committed.begin(), committed.end(), name)) << name;
    }
}

}  // namespace
