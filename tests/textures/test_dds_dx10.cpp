// The DX10 header of DDS files: what it may name, what is refused and why,
// and its cube maps; and the reasons the reader gives for formats it does
// not know. No GL.
#include <gtest/gtest.h>

#include <string>

#include "textures/dds_header.h"
#include "textures/dds_image.h"
#include "textures/encode/image_encoders.h"
#include "textures/encode/sample_images.h"

namespace {

DDSOptions DX10(std::uint32_t dxgi, std::uint32_t width = 8, std::uint32_t height = 8) {
    return {.width = width, .height = height, .fourCC = "DX10", .dxgiFormat = dxgi};
}

TEST(DDSDX10, HeaderSitsAfterTheLegacyOneAndTheDataAfterIt) {
    DDSOptions options = DX10(98);
    options.resourceDimension = 3;
    options.miscFlag = 0x4;
    options.arraySize = 1;
    options.miscFlags2 = 0x2;
    const Bytes file = EncodeDDS(options, Bytes(16, 7));
    ASSERT_EQ(file.size(), 4u + 124 + 20 + 16);
    const DDSHeaderDX10 header = DDSHeaderDX10Of(file);
    // Offsets as the format documents them: 128, 132, 136, 140, 144.
    EXPECT_EQ(header.dxgiFormat, file[128]);
    EXPECT_EQ(header.resourceDimension, file[132]);
    EXPECT_EQ(header.miscFlag, file[136]);
    EXPECT_EQ(header.arraySize, file[140]);
    EXPECT_EQ(header.miscFlags2, file[144]);
    EXPECT_EQ(header.dxgiFormat, 98u);
    EXPECT_EQ(header.miscFlags2, 2u);
}

// Everything but one 2D image or one cube map is refused, naming what it is.
TEST(DDSDX10, FilesThatAreNotOneImageOrCubeMapAreRefusedNamingWhatTheyAre) {
    const Bytes blocks = RandomBlocks(4 * 6 * 3, 8, 1, false);  // enough for any case below
    auto with = [&](auto change) {
        DDSOptions options = DX10(71);
        change(options);
        return EncodeDDS(options, blocks);
    };
    const Bytes plain = EncodeDDS(DX10(71), blocks);
    const struct {
        Bytes file;
        const char* reason;
    } cases[] = {
        {with([](DDSOptions& o) { o.resourceDimension = 2; }), "1D texture, which is not drawn"},
        {with([](DDSOptions& o) { o.resourceDimension = 4; }), "volume texture, which is not drawn"},
        {with([](DDSOptions& o) { o.resourceDimension = 1; }), "unknown DX10 resource dimension 1"},
        {with([](DDSOptions& o) { o.resourceDimension = 9; }), "unknown DX10 resource dimension 9"},
        {with([](DDSOptions& o) { o.arraySize = 0; }), "DX10 array size 0"},
        {with([](DDSOptions& o) { o.arraySize = 3; }), "texture array of 3 slices, which is not drawn"},
        {with([](DDSOptions& o) { o.arraySize = 2;
                  o.miscFlag = 0x4; }),
         "texture array of 2 cube maps, which is not drawn"},
        {with([](DDSOptions& o) { o.depth = 4; }), "volume texture, which is not drawn"},
        {with([](DDSOptions& o) { o.caps2 = 0x200000; }), "volume texture, which is not drawn"},
        {with([](DDSOptions& o) { o.dxgiFormat = 0; }), "unsupported DXGI format 0"},
        {with([](DDSOptions& o) { o.dxgiFormat = 2; }), "unsupported DXGI format 2"},  // R32G32B32A32_FLOAT
        {with([](DDSOptions& o) { o.dxgiFormat = 999; }), "unsupported DXGI format 999"},
        {Bytes(plain.begin(), plain.begin() + 147), "short DX10 header"},
        {Bytes(plain.begin(), plain.begin() + 148 + 31), "truncated DDS file"},
        // The legacy header's volume, and unknown legacy codes by name.
        {EncodeDDS({.width = 8, .height = 8, .caps2 = 0x200000}, blocks), "volume texture, which is not drawn"},
        {EncodeDDS({.width = 8, .height = 8, .fourCC = "ATI9"}, blocks), "unsupported DDS compression \"ATI9\""},
        {EncodeDDS({.width = 8, .height = 8, .fourCC = std::string("\x24\0\0\0", 4)}, blocks),
         "unsupported DDS compression 0x00000024"},
    };
    for (const auto& c : cases) {
        const ReadResult<DDSImage> read = ParseDDS(c.file);
        EXPECT_FALSE(read) << c.reason;
        EXPECT_EQ(read.reason, c.reason);
        EXPECT_EQ(read.value.GetNumImages(), 0) << c.reason;
    }
    EXPECT_TRUE(ParseDDS(plain)) << "the unchanged file reads";
}

// The DX10 cube flag reads like the legacy cube caps: six faces, levels in
// step, +Y and -Y traded for faces read upside down.
TEST(DDSDX10, CubeMapsByTheMiscFlagReadLikeLegacyCubeMaps) {
    const Bytes data = RandomBlocks(6 * (4 + 1), 8, 7, false);  // 8x8 and 4x4 levels of six faces
    DDSOptions dx10 = DX10(71);
    dx10.miscFlag = 0x4;
    dx10.mipCount = 2;
    const auto modern = ParseDDS(EncodeDDS(dx10, data));
    const auto legacy = ParseDDS(EncodeDDS({.width = 8, .height = 8, .mipCount = 2, .caps2 = 0xFE00}, data));
    ASSERT_TRUE(modern) << modern.reason;
    ASSERT_TRUE(legacy) << legacy.reason;
    ASSERT_TRUE(modern.value.IsCubemap());
    ASSERT_EQ(modern.value.GetNumImages(), 6);
    for (int i = 0; i < 6; ++i) {
        const DDSTexture& a = modern.value.GetImage(i);
        const DDSTexture& b = legacy.value.GetImage(i);
        EXPECT_TRUE(std::ranges::equal(a.GetPixels(), b.GetPixels())) << "face " << i;
        ASSERT_EQ(a.GetMipmaps().size(), 1u);
        EXPECT_TRUE(std::ranges::equal(a.GetMipmaps()[0].GetPixels(), b.GetMipmaps()[0].GetPixels())) << "face " << i;
    }
}

// BC6H and BC7 levels stay as stored, every face in its own place.
TEST(DDSDX10, TopDownCubeFacesKeepTheirBytesAndPlaces) {
    const Bytes data = RandomBlocks(6 * 4, 16, 9, true);
    for (const std::uint32_t dxgi : {95u, 98u}) {
        DDSOptions options = DX10(dxgi);
        options.miscFlag = 0x4;
        const auto read = ParseDDS(EncodeDDS(options, data));
        ASSERT_TRUE(read) << read.reason;
        EXPECT_TRUE(read.value.IsTopDown());
        for (int i = 0; i < 6; ++i) {
            const auto face = std::span(data).subspan(static_cast<std::size_t>(i) * 64, 64);
            EXPECT_TRUE(std::ranges::equal(read.value.GetImage(i).GetPixels(), face)) << dxgi << " face " << i;
        }
    }
}

}  // namespace
