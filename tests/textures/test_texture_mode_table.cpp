// The texture-mode table: command ids of its own, and the committed assets
// serving every row's files.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/recording_sink.h"

#include "textures/texture_modes.h"
#include "viewer/commands.h"

namespace {

TEST(TextureModeTable, CommandIdsAreTheirRowsAlone) {
    std::set<int> seen;
    for (const TextureModeRow& row : kTextureModes) {
        EXPECT_TRUE(seen.insert(row.command).second) << row.name << " shares its command id";
        EXPECT_EQ(TextureModeRowForCommand(row.command), &row) << row.name;
        EXPECT_EQ(TextureModeName(row.mode), row.name);
    }
    for (const int other : {CMD_OPEN, CMD_EXIT, CMD_LIGHT_ON, CMD_LIGHT_OFF, CMD_RENDER_SOLID, CMD_RENDER_WIREFRAME,
                            CMD_CULL_ON, CMD_CULL_OFF, CMD_WINDING_CW, CMD_WINDING_CCW, CMD_FLIP_NORMALS,
                            CMD_SCALE_DOWN, CMD_SCALE_UP, CMD_RESET_CAMERA, CMD_ABOUT})
        EXPECT_EQ(TextureModeRowForCommand(other), nullptr) << other;
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
