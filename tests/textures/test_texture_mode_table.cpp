// The texture-mode table: command ids of its own, and the committed assets
// serving every row's files.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/recording_sink.h"

#include "textures/texture_modes.h"
#include "viewer/command_ids.h"

namespace {

TEST(TextureModeTable, CommandIdsAreTheirRowsAlone) {
    std::set<int> seen;
    for (const TextureModeRow& row : kTextureModes) {
        EXPECT_TRUE(seen.insert(row.command).second) << row.name << " shares its command id";
        EXPECT_EQ(TextureModeRowForCommand(row.command), &row) << row.name;
        EXPECT_EQ(TextureModeName(row.mode), row.name);
    }
    for (const CommandId other :
         {CommandId::Open, CommandId::Exit, CommandId::LightOn, CommandId::LightOff, CommandId::RenderSolid,
          CommandId::RenderWireframe, CommandId::CullOn, CommandId::CullOff, CommandId::WindingCW,
          CommandId::WindingCCW, CommandId::FlipNormals, CommandId::ScaleDown, CommandId::ScaleUp,
          CommandId::ResetCamera, CommandId::About})
        EXPECT_EQ(TextureModeRowForCommand(static_cast<int>(other)), nullptr) << static_cast<int>(other);
}

// An image row has its loader and its check; the others neither.
TEST(TextureModeTable, ImageRowsHaveTheirLoaderAndCheck) {
    for (const TextureModeRow& row : kTextureModes) {
        const bool image = row.kind == TextureKind::Flat || row.kind == TextureKind::Cube;
        EXPECT_EQ(row.load != nullptr, image) << row.name;
        EXPECT_EQ(row.check != nullptr, image) << row.name;
    }
}

// A new mode's files must be generated too (tools/assetgen).
TEST(TextureModeTable, TheCommittedAssetsServeEveryMode) {
    for (const TextureModeRow& row : kTextureModes) {
        RecordingSink sink;
        EXPECT_TRUE(CheckTestTexture(row.mode, TESSA_SOURCE_DIR, sink)) << row.name;
        EXPECT_TRUE(sink.shown.empty()) << row.name;
    }
}

}  // namespace
