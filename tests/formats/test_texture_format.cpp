// The own-texture format rule: which loader a model's texture path goes to,
// by its last characters in any letter case.
#include <gtest/gtest.h>

#include <string>

#include "formats/texture_format.h"

namespace {

TEST(OwnTextureFormatRule, TheLastCharactersNameTheFormatInAnyCase) {
    const struct {
        const char* path;
        OwnTextureFormat format;
    } cases[] = {
        {"crate.bmp", OwnTextureFormat::BMP},     {"CRATE.BMP", OwnTextureFormat::BMP},
        {"sky.tga", OwnTextureFormat::TGA},       {"dir.png/skin.Tga", OwnTextureFormat::TGA},
        {"skin.png", OwnTextureFormat::PNG},      {"Skin.PnG", OwnTextureFormat::PNG},
        {"photo.jpg", OwnTextureFormat::JPEG},    {"PHOTO.JPG", OwnTextureFormat::JPEG},
        {"photo.jpeg", OwnTextureFormat::JPEG},   {"photo.JpEg", OwnTextureFormat::JPEG},
        {"png", OwnTextureFormat::PNG},           {"jpeg", OwnTextureFormat::JPEG},  // dot or not, as ever
        {"photo.peg", OwnTextureFormat::Unknown}, {"skin.gif", OwnTextureFormat::Unknown},
        {"skin.dds", OwnTextureFormat::Unknown},  {"skin.png.txt", OwnTextureFormat::Unknown},
        {"pg", OwnTextureFormat::Unknown},        {"", OwnTextureFormat::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(OwnTextureFormatForPath(c.path), c.format) << c.path;
}

TEST(OwnTextureFormatRule, EachFormatHasTheNameReportsUse) {
    EXPECT_EQ(OwnTextureFormatName(OwnTextureFormat::BMP), "BMP");
    EXPECT_EQ(OwnTextureFormatName(OwnTextureFormat::TGA), "TGA");
    EXPECT_EQ(OwnTextureFormatName(OwnTextureFormat::PNG), "PNG");
    EXPECT_EQ(OwnTextureFormatName(OwnTextureFormat::JPEG), "JPEG");
    EXPECT_EQ(OwnTextureFormatName(OwnTextureFormat::Unknown), "");
}

}  // namespace
