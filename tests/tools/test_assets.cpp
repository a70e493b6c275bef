// The committed Assets/ folder is exactly what the generator writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "assetgen/assets.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kAssets = fs::path(TESSA_SOURCE_DIR) / "Assets";

std::vector<char> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
        const auto diff = std::mismatch(fresh.begin(), fresh.end(), committed.begin());
        EXPECT_TRUE(diff.first == fresh.end())
            << name << " differs first at byte " << (diff.first - fresh.begin());
    }
}

TEST(Assets, EveryFileTheViewerLooksForIsGenerated) {
    std::vector<std::string> wanted{"spheremap.bmp", "spheremap.tga", "spheremap.dds", "TexturedCube.xml",
                                    "crate.bmp"};
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
