// Page Down and Page Up's order: the model files of a folder by name, any
// case, round the ends, skipping what no format reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/temp_dir.h"
#include "viewer/folder_models.h"

namespace {

TEST(FolderModels, StepByNameOverTheReadableFormatsRoundTheEnds) {
    const TempDir folder;
    for (const char* name : {"B.xml", "a.BIN", "c.txt", "d.Obj", "e.md5mesh", "f.glb", "notes"})
        ASSERT_TRUE(WriteFile(folder.File(name), "x"));
    std::filesystem::create_directory(folder.File("c.ply"));  // a folder, not a model
    const auto next = [&](const char* name, FolderStep step) {
        return NeighbourModel(folder.File(name), step).value_or("none");
    };
    EXPECT_EQ(next("a.BIN", FolderStep::Next), folder.File("B.xml"));
    EXPECT_EQ(next("B.xml", FolderStep::Next), folder.File("d.Obj"));
    EXPECT_EQ(next("d.Obj", FolderStep::Next), folder.File("f.glb"));
    EXPECT_EQ(next("f.glb", FolderStep::Next), folder.File("a.BIN"));
    EXPECT_EQ(next("B.xml", FolderStep::Previous), folder.File("a.BIN"));
    EXPECT_EQ(next("a.BIN", FolderStep::Previous), folder.File("f.glb"));
    // A shown file that is gone keeps its place by name.
    EXPECT_EQ(next("c.stl", FolderStep::Next), folder.File("d.Obj"));
    EXPECT_EQ(next("c.stl", FolderStep::Previous), folder.File("B.xml"));
}

TEST(FolderModels, NothingWhenTheFolderHoldsNoOtherModel) {
    const TempDir folder;
    ASSERT_TRUE(WriteFile(folder.File("only.bin"), "x"));
    ASSERT_TRUE(WriteFile(folder.File("readme.txt"), "x"));
    EXPECT_EQ(NeighbourModel(folder.File("only.bin"), FolderStep::Next), std::nullopt);
    EXPECT_EQ(NeighbourModel(folder.File("only.bin"), FolderStep::Previous), std::nullopt);
    EXPECT_EQ(NeighbourModel(folder.File("missing/only.bin"), FolderStep::Next), std::nullopt);
}

}  // namespace
