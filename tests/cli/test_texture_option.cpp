// --texture: each name picks its Textures menu item, and the usage text
// lists every name in the order the README gives them.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/cli/command_line.h"
#include "viewer/command_ids.h"

namespace {

TEST(TextureOption, EachNamePicksItsMenuItem) {
    const std::pair<const char*, CommandId> names[] = {
        {"off", CommandId::TexOff},
        {"bmp", CommandId::TexBMP},
        {"bmp-compressed", CommandId::TexBMPCompressed},
        {"tga", CommandId::TexTGA},
        {"tga-compressed", CommandId::TexTGACompressed},
        {"dds", CommandId::TexDDS},
        {"bmp-cubemap", CommandId::TexBMPCubemap},
        {"dds-cubemap", CommandId::TexDDSCubemap},
        {"own", CommandId::TexModelsOwn},
    };
    for (const auto& [name, command] : names) EXPECT_EQ(TextureCommandByName(name), command) << name;
    // Names are exact: no other case, no menu text, no mode name.
    for (const char* other : {"BMP", "Off", "&BMP", "ModelsOwn", "tga compressed", ""})
        EXPECT_FALSE(TextureCommandByName(other)) << other;
}

// cxxopts wraps the help text; compare with every run of blanks made one space.
std::string Squeezed(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n';
        if (!blank || (!out.empty() && out.back() != ' ')) out += blank ? ' ' : c;
    }
    return out;
}

TEST(TextureOption, UsageListsEveryNameInOrder) {
    EXPECT_NE(Squeezed(UsageText())
                  .find("texture menu item: off, bmp, bmp-compressed, tga, tga-compressed, dds, bmp-cubemap, "
                        "dds-cubemap, own (default: own when the model has a look of its own: a texture, materials or vertex colours; else bmp)"),
              std::string::npos)
        << UsageText();
}

}  // namespace
