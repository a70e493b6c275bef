// --texture: each name picks its Textures menu item, and the usage text
// lists every name in the order the README gives them.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "app/cli/command_line.h"
#include "viewer/commands.h"

namespace {

TEST(TextureOption, EachNamePicksItsMenuItem) {
    const std::pair<const char*, int> names[] = {
        {"off", CMD_TEX_OFF},
        {"bmp", CMD_TEX_BMP},
        {"bmp-compressed", CMD_TEX_BMP_COMPRESSED},
        {"tga", CMD_TEX_TGA},
        {"tga-compressed", CMD_TEX_TGA_COMPRESSED},
        {"dds", CMD_TEX_DDS},
        {"bmp-cubemap", CMD_TEX_BMP_CUBEMAP},
        {"dds-cubemap", CMD_TEX_DDS_CUBEMAP},
        {"own", CMD_TEX_MODELS_OWN},
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
                        "dds-cubemap, own (default: own when the model has a texture of its own, else bmp)"),
              std::string::npos)
        << UsageText();
}

}  // namespace
