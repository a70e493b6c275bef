// The command line's parse (modes, option values, refusals) and the choice
// of the start-up directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <vector>

#include "app/cli/command_line.h"
#include "viewer/command_ids.h"
#include "mesh/model_test_support.h"

namespace {

CommandLine Parse(std::initializer_list<std::string_view> args) {
    const std::vector<std::string_view> list(args);
    return ParseCommandLine(list);
}

TEST(CommandLine, WindowModeTakesAtMostOneModel) {
    EXPECT_EQ(Parse({}).mode, CliMode::Window);
    const CommandLine one = Parse({"Assets/examples/torus.bin"});
    EXPECT_EQ(one.mode, CliMode::Window);
    EXPECT_EQ(one.model, "Assets/examples/torus.bin");
    EXPECT_EQ(Parse({"a.xml", "b.xml"}).mode, CliMode::Invalid);
    // After "--" a name that looks like an option is a model.
    const CommandLine dashed = Parse({"--", "--odd.xml"});
    EXPECT_EQ(dashed.mode, CliMode::Window);
    EXPECT_EQ(dashed.model, "--odd.xml");
}

TEST(CommandLine, SnapshotDefaultsAndEveryOption) {
    const CommandLine plain = Parse({"--snapshot", "out.png"});
    ASSERT_EQ(plain.mode, CliMode::Snapshot);
    EXPECT_EQ(plain.snapshot.outPath, "out.png");
    EXPECT_EQ(plain.snapshot.width, 800);
    EXPECT_EQ(plain.snapshot.height, 600);
    EXPECT_FALSE(plain.snapshot.textureCommand);
    EXPECT_FALSE(plain.snapshot.rotateX);
    EXPECT_TRUE(plain.model.empty());

    const CommandLine all =
        Parse({"--size", "320x200", "--texture=dds-cubemap", "--wireframe", "--no-light", "--no-cull", "--cw",
               "--rotate", "-30.5,90", "model.bin", "--snapshot=o.png", "--fit"});
    ASSERT_EQ(all.mode, CliMode::Snapshot) << all.error;
    const SnapshotOptions& s = all.snapshot;
    EXPECT_EQ(s.outPath, "o.png");
    EXPECT_EQ(all.model, "model.bin");
    EXPECT_EQ(s.width, 320);
    EXPECT_EQ(s.height, 200);
    EXPECT_EQ(s.textureCommand, CommandId::TexDDSCubemap);
    EXPECT_TRUE(s.wireframe && s.noLight && s.noCull && s.clockwise && s.fit);
    EXPECT_EQ(s.rotateX, -30.5f);
    EXPECT_EQ(s.rotateY, 90.0f);
}

TEST(CommandLine, InfoNeedsAModelAndStandsAlone) {
    const CommandLine info = Parse({"--info", "m.xml"});
    EXPECT_EQ(info.mode, CliMode::Info);
    EXPECT_EQ(info.model, "m.xml");
    EXPECT_EQ(Parse({"--info"}).mode, CliMode::Invalid);
    EXPECT_EQ(Parse({"--info", "m.xml", "--snapshot", "o.png"}).mode, CliMode::Invalid);
    EXPECT_EQ(Parse({"--info", "m.xml", "--wireframe"}).mode, CliMode::Invalid);
}

TEST(CommandLine, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(Parse({"--bogus", "--help"}).mode, CliMode::Help);
    EXPECT_EQ(Parse({"--snapshot", "o.png", "--version"}).mode, CliMode::Version);
    // ... but not after "--", where they are file names.
    EXPECT_EQ(Parse({"--", "--help"}).mode, CliMode::Window);
}

TEST(CommandLine, BadArgumentsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string_view>> bad = {
        {"--bogus"},
        {"-x"},
        {"--snapshot"},   // no file name
        {"--snapshot="},  // empty file name
        {"--wireframe"},  // needs --snapshot
        {"--snapshot", "o.png", "--size", "0x10"},
        {"--snapshot", "o.png", "--size", "100x"},
        {"--snapshot", "o.png", "--size", "100x100x3"},
        {"--snapshot", "o.png", "--size", "16385x10"},
        {"--snapshot", "o.png", "--size", "-5x10"},
        {"--snapshot", "o.png", "--texture", "png"},
        {"--snapshot", "o.png", "--rotate", "30"},
        {"--snapshot", "o.png", "--rotate", "30,x"},
        {"--snapshot", "o.png", "--rotate", "1,2,3"},
        {"--snapshot", "o.png", "--rotate", "inf,0"},
        {"--snapshot", "o.png", "--rotate"},  // value missing at the end
        {"--snapshot", "o.png", "--cw=yes"},  // a switch takes no value
        {"--snapshot", "o.png", "a.xml", "b.xml"},
    };
    for (const auto& args : bad) {
        const CommandLine line = ParseCommandLine(args);
        std::string joined;
        for (const auto a : args) joined += std::string(a) + ' ';
        EXPECT_EQ(line.mode, CliMode::Invalid) << joined;
        EXPECT_FALSE(line.error.empty()) << joined;
    }
}

TEST(CommandLine, UsageNamesTheExtensionsReadAndThoseConvertWrites) {
    EXPECT_NE(UsageText().find("in any case:\n  .xml, .bin, .obj, .ply, .stl, .gltf, .glb, .fbx, .dae\n"
                               "--convert writes .xml, .bin, .obj, .ply, .stl, .gltf or .glb.\n"),
              std::string::npos)
        << UsageText();
}

}  // namespace
