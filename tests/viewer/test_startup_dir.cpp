// Where the viewer takes its assets from: the current directory when it
// holds the default model, else the installed assets.
#include <gtest/gtest.h>

#include <filesystem>

#include "mesh/model_test_support.h"
#include "viewer/startup_dir.h"

namespace {

class StartupDirTest : public testing::Test {
protected:
    void MakeAssets(const std::filesystem::path& root) {
        std::filesystem::create_directories(root / "Assets");
        ASSERT_TRUE(WriteFile((root / "Assets/TexturedCube.xml").string(), "<mesh/>"));
    }
    TempDir scratch;
    std::filesystem::path here{scratch.File("here")};
    std::filesystem::path installed{scratch.File("share/tessaview")};
};

TEST_F(StartupDirTest, CurrentDirectoryWithTheDefaultModelWins) {
    MakeAssets(here);
    MakeAssets(installed);
    EXPECT_EQ(ChooseStartupDir(here, installed), here.string());
}

TEST_F(StartupDirTest, InstalledAssetsWhenTheCurrentDirectoryHasNone) {
    std::filesystem::create_directories(here / "Assets");  // a folder alone is not enough
    MakeAssets(installed);
    EXPECT_EQ(ChooseStartupDir(here, installed), installed.string());
}

TEST_F(StartupDirTest, CurrentDirectoryWhenNeitherHasTheModel) {
    std::filesystem::create_directories(here);
    EXPECT_EQ(ChooseStartupDir(here, installed), here.string());
    EXPECT_EQ(ChooseStartupDir(here, {}), here.string());
}

}  // namespace
