// DDS files of every pixel-format family through LoadDDSTexture on the
// headless context, against a well-kept codec: block files are made by the
// GL's own encoder (Mesa's) from a picture whose top and bottom differ, and
// what loads is compared with the GL's decode of the same blocks; pixel
// files are packed by each format's public definition and compared with the
// picture, within the format's quantisation.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <span>
#include <string>

#include "gl_block_codec.h"
#include "gl_texture_checks.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"
#include "textures/encode/image_encoders.h"
#include "textures/encode/sample_images.h"
#include "textures/texture_loaders.h"

namespace {

using Shown = std::vector<std::pair<std::string, std::string>>;

constexpr int kWidth = 8;
constexpr int kHeight = 12;  // three block rows: the middle one stays, the others trade places

// The source picture as R, G, B, A texels, top row first.
std::vector<std::uint8_t> SourceRgba() {
    const Picture picture = MakePicture(kWidth, kHeight, 4, 3);
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const std::uint8_t* p = picture.At(x, y);
            rgba.insert(rgba.end(), {p[2], p[1], p[0], p[3]});
        }
    return rgba;
}

// The headers that name a format: a legacy FourCC, or a DXGI number.
DDSOptions FourCCFile(const char* code) { return {.width = kWidth, .height = kHeight, .fourCC = code}; }
DDSOptions DXGIFile(std::uint32_t dxgi) {
    return {.width = kWidth, .height = kHeight, .fourCC = "DX10", .dxgiFormat = dxgi};
}
DDSOptions MaskFile(std::uint32_t flags, std::uint32_t bits, std::array<std::uint32_t, 4> masks) {
    return {.width = kWidth, .height = kHeight, .formatFlags = flags, .fourCC = "", .bitCount = bits, .masks = masks};
}

class DDSFormatFamily : public LoaderStateTest {
protected:
    TempDir dir;
    RecordingSink sink;
};

struct BlockCase {
    const char* what;
    DDSOptions header;
    GLenum internalFormat;
    GLenum type;  // of the texels handed to the encoder and read back
};

// The source in the type the encoder takes: bytes, signed bytes, or floats
// up to 4 (high dynamic range).
std::vector<std::uint8_t> SourceAs(GLenum type) {
    const std::vector<std::uint8_t> rgba = SourceRgba();
    if (type != GL_FLOAT) return rgba;
    std::vector<std::uint8_t> floats(rgba.size() * sizeof(float));
    for (std::size_t i = 0; i < rgba.size(); ++i) {
        const float value = static_cast<float>(rgba[i]) / 255.0f * 4.0f;
        std::memcpy(floats.data() + i * sizeof value, &value, sizeof value);
    }
    return floats;
}

// Each file loads compressed in its own format, and shows what the GL's
// decode of its blocks shows: upside down (bottom row first, as the GL
// wants) when flipped, else as stored with the texture marked top down.
void ExpectBlockFiles(const TempDir& dir, std::span<const BlockCase> cases, bool flipped) {
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::uint8_t> blocks =
            EncodeBlocksWithGL(c.internalFormat, SourceAs(c.type), c.type, kWidth, kHeight);
        ASSERT_FALSE(blocks.empty());
        const std::vector<std::uint8_t> decoded = DecodeBlocksWithGL(c.internalFormat, blocks, kWidth, kHeight, c.type);
        const std::vector<std::uint8_t> upsideDown = ReversedRows(decoded, RgbaTexelBytes(c.type) * kWidth);
        ASSERT_NE(decoded, upsideDown) << "the picture must show which way up it is";

        RecordingSink sink;
        const TextureName name;
        const TextureLoad load = LoadDDSTexture(dir.Write("blocks.dds", EncodeDDS(c.header, blocks)), name.get(), sink);
        ASSERT_TRUE(load.loaded) << (sink.shown.empty() ? "" : sink.shown.front().first);
        EXPECT_EQ(load.topDown, !flipped);
        const LevelInfo level = QueryLevel(GL_TEXTURE_2D);
        EXPECT_EQ(level.internalFormat, static_cast<GLint>(c.internalFormat));
        EXPECT_EQ(level.compressed, GL_TRUE);
        EXPECT_TRUE(ReadRgba(GL_TEXTURE_2D, c.type, kWidth, kHeight) == (flipped ? upsideDown : decoded));
        EXPECT_TRUE(sink.shown.empty());
    }
}

TEST_F(DDSFormatFamily, BC1ToBC3InDX10AndSRGBFormsLoadUpsideDown) {
    const BlockCase cases[] = {
        {"BC1 71", DXGIFile(71), GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, GL_UNSIGNED_BYTE},
        {"BC1 typeless 70", DXGIFile(70), GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, GL_UNSIGNED_BYTE},
        {"BC1 sRGB 72", DXGIFile(72), GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT1_EXT, GL_UNSIGNED_BYTE},
        {"BC2 74", DXGIFile(74), GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, GL_UNSIGNED_BYTE},
        {"BC2 sRGB 75", DXGIFile(75), GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT3_EXT, GL_UNSIGNED_BYTE},
        {"BC3 77", DXGIFile(77), GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, GL_UNSIGNED_BYTE},
        {"BC3 sRGB 78", DXGIFile(78), GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT5_EXT, GL_UNSIGNED_BYTE},
    };
    ExpectBlockFiles(dir, cases, true);
}

TEST_F(DDSFormatFamily, BC4AndBC5UnsignedAndSignedLoadUpsideDown) {
    const BlockCase cases[] = {
        {"BC4 ATI1", FourCCFile("ATI1"), GL_COMPRESSED_RED_RGTC1, GL_UNSIGNED_BYTE},
        {"BC4 BC4U", FourCCFile("BC4U"), GL_COMPRESSED_RED_RGTC1, GL_UNSIGNED_BYTE},
        {"BC4 80", DXGIFile(80), GL_COMPRESSED_RED_RGTC1, GL_UNSIGNED_BYTE},
        {"BC4 typeless 79", DXGIFile(79), GL_COMPRESSED_RED_RGTC1, GL_UNSIGNED_BYTE},
        {"BC4 signed BC4S", FourCCFile("BC4S"), GL_COMPRESSED_SIGNED_RED_RGTC1, GL_BYTE},
        {"BC4 signed 81", DXGIFile(81), GL_COMPRESSED_SIGNED_RED_RGTC1, GL_BYTE},
        {"BC5 ATI2", FourCCFile("ATI2"), GL_COMPRESSED_RG_RGTC2, GL_UNSIGNED_BYTE},
        {"BC5 BC5U", FourCCFile("BC5U"), GL_COMPRESSED_RG_RGTC2, GL_UNSIGNED_BYTE},
        {"BC5 83", DXGIFile(83), GL_COMPRESSED_RG_RGTC2, GL_UNSIGNED_BYTE},
        {"BC5 typeless 82", DXGIFile(82), GL_COMPRESSED_RG_RGTC2, GL_UNSIGNED_BYTE},
        {"BC5 signed BC5S", FourCCFile("BC5S"), GL_COMPRESSED_SIGNED_RG_RGTC2, GL_BYTE},
        {"BC5 signed 84", DXGIFile(84), GL_COMPRESSED_SIGNED_RG_RGTC2, GL_BYTE},
    };
    ExpectBlockFiles(dir, cases, true);
}

TEST_F(DDSFormatFamily, BC6HAndBC7LoadAsStoredAndSaySo) {
    const BlockCase cases[] = {
        {"BC6H 95", DXGIFile(95), GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT, GL_FLOAT},
        {"BC6H typeless 94", DXGIFile(94), GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT, GL_FLOAT},
        {"BC6H signed 96", DXGIFile(96), GL_COMPRESSED_RGB_BPTC_SIGNED_FLOAT, GL_FLOAT},
        {"BC7 98", DXGIFile(98), GL_COMPRESSED_RGBA_BPTC_UNORM, GL_UNSIGNED_BYTE},
        {"BC7 typeless 97", DXGIFile(97), GL_COMPRESSED_RGBA_BPTC_UNORM, GL_UNSIGNED_BYTE},
        {"BC7 sRGB 99", DXGIFile(99), GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM, GL_UNSIGNED_BYTE},
    };
    ExpectBlockFiles(dir, cases, false);
}

// ---- pixel formats ----

// One texel of the source (R, G, B, A) as the file stores it.
using Pack = std::function<Bytes(const std::uint8_t* rgba, int index)>;
// What reading the texture back as R, G, B, A bytes should give for it.
using Expect = std::function<std::array<int, 4>(const std::uint8_t* rgba)>;

struct PixelCase {
    const char* what;
    DDSOptions header;
    GLint internalFormat;
    Pack pack;
    Expect expect;
    int tolerance = 0;
};

// A value of bits bits as the GL widens it to 8 bits.
int Widened(int value, int bits) {
    return static_cast<int>(std::lround(value * 255.0 / ((1 << bits) - 1)));
}
Bytes Word(std::uint32_t value) { return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)}; }

// Each file loads uncompressed into its internal format, and every texel
// reads back as expected, bottom row first.
void ExpectPixelFiles(const TempDir& dir, std::span<const PixelCase> cases) {
    const std::vector<std::uint8_t> rgba = SourceRgba();
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            const Bytes texel = c.pack(&rgba[static_cast<std::size_t>(i) * 4], i);
            file.insert(file.end(), texel.begin(), texel.end());
        }
        RecordingSink sink;
        const TextureName name;
        const TextureLoad load = LoadDDSTexture(dir.Write("pixels.dds", EncodeDDS(c.header, file)), name.get(), sink);
        ASSERT_TRUE(load.loaded) << (sink.shown.empty() ? "" : sink.shown.front().first);
        EXPECT_FALSE(load.topDown);
        EXPECT_EQ(QueryLevel(GL_TEXTURE_2D).internalFormat, c.internalFormat);
        const std::vector<std::uint8_t> read = ReadRgba(GL_TEXTURE_2D, GL_UNSIGNED_BYTE, kWidth, kHeight);
        int worst = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const std::size_t source = (static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x) * 4;
                const std::array<int, 4> want = c.expect(&rgba[source]);
                for (int k = 0; k < 4; ++k)
                    worst = std::max(worst, std::abs(read[(static_cast<std::size_t>(y) * kWidth + x) * 4 + k] - want[k]));
            }
        EXPECT_LE(worst, c.tolerance);
    }
}

std::array<int, 4> SameRgba(const std::uint8_t* p) { return {p[0], p[1], p[2], p[3]}; }
std::array<int, 4> OpaqueRgb(const std::uint8_t* p) { return {p[0], p[1], p[2], 255}; }

TEST_F(DDSFormatFamily, DX10EightBitPixelsKeepTheirColours) {
    const Pack rgba = [](const std::uint8_t* p, int) { return Bytes{p[0], p[1], p[2], p[3]}; };
    const Pack bgra = [](const std::uint8_t* p, int) { return Bytes{p[2], p[1], p[0], p[3]}; };
    const PixelCase cases[] = {
        {"RGBA8 28", DXGIFile(28), GL_RGBA8, rgba, SameRgba},
        {"RGBA8 typeless 27", DXGIFile(27), GL_RGBA8, rgba, SameRgba},
        {"RGBA8 sRGB 29", DXGIFile(29), GL_SRGB8_ALPHA8, rgba, SameRgba},
        {"BGRA8 87", DXGIFile(87), GL_RGBA8, bgra, SameRgba},
        {"BGRA8 typeless 90", DXGIFile(90), GL_RGBA8, bgra, SameRgba},
        {"BGRA8 sRGB 91", DXGIFile(91), GL_SRGB8_ALPHA8, bgra, SameRgba},
        {"BGRX8 88", DXGIFile(88), GL_RGB8, bgra, OpaqueRgb},
        {"BGRX8 typeless 92", DXGIFile(92), GL_RGB8, bgra, OpaqueRgb},
        {"BGRX8 sRGB 93", DXGIFile(93), GL_SRGB8, bgra, OpaqueRgb},
    };
    ExpectPixelFiles(dir, cases);
}

TEST_F(DDSFormatFamily, SixteenBitPixelsKeepTheirColoursWithinTheirBits) {
    // Little-endian words, blue in the lowest bits.
    const Pack b5g6r5 = [](const std::uint8_t* p, int) { return Word((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3); };
    const Pack b5g5r5a1 = [](const std::uint8_t* p, int) {
        return Word((p[3] >> 7) << 15 | (p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3);
    };
    // The padding bit set on every other texel: it must not show.
    const Pack b5g5r5x1 = [](const std::uint8_t* p, int i) {
        return Word((i % 2) << 15 | (p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3);
    };
    const Pack b4g4r4a4 = [](const std::uint8_t* p, int) {
        return Word((p[3] >> 4) << 12 | (p[0] >> 4) << 8 | (p[1] >> 4) << 4 | p[2] >> 4);
    };
    const Expect in565 = [](const std::uint8_t* p) {
        return std::array<int, 4>{Widened(p[0] >> 3, 5), Widened(p[1] >> 2, 6), Widened(p[2] >> 3, 5), 255};
    };
    const Expect in5551 = [](const std::uint8_t* p) {
        return std::array<int, 4>{Widened(p[0] >> 3, 5), Widened(p[1] >> 3, 5), Widened(p[2] >> 3, 5),
                                  p[3] >= 128 ? 255 : 0};
    };
    const Expect in555 = [](const std::uint8_t* p) {
        return std::array<int, 4>{Widened(p[0] >> 3, 5), Widened(p[1] >> 3, 5), Widened(p[2] >> 3, 5), 255};
    };
    const Expect in4444 = [](const std::uint8_t* p) {
        return std::array<int, 4>{Widened(p[0] >> 4, 4), Widened(p[1] >> 4, 4), Widened(p[2] >> 4, 4),
                                  Widened(p[3] >> 4, 4)};
    };
    const PixelCase cases[] = {
        {"B5G6R5 masks", MaskFile(0x40, 16, {0xF800, 0x07E0, 0x001F, 0}), GL_RGB565, b5g6r5, in565, 1},
        {"B5G6R5 85", DXGIFile(85), GL_RGB565, b5g6r5, in565, 1},
        {"B5G5R5A1 masks", MaskFile(0x41, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}), GL_RGB5_A1, b5g5r5a1, in5551, 1},
        {"B5G5R5A1 86", DXGIFile(86), GL_RGB5_A1, b5g5r5a1, in5551, 1},
        {"B5G5R5X1 masks", MaskFile(0x40, 16, {0x7C00, 0x03E0, 0x001F, 0}), GL_RGB5, b5g5r5x1, in555, 1},
        {"B4G4R4A4 masks", MaskFile(0x41, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}), GL_RGBA4, b4g4r4a4, in4444, 1},
        {"B4G4R4A4 115", DXGIFile(115), GL_RGBA4, b4g4r4a4, in4444, 1},
    };
    ExpectPixelFiles(dir, cases);
}

TEST_F(DDSFormatFamily, LuminanceAndRedGreenPixelsKeepTheirChannels) {
    // Read back as RGBA, luminance comes out in red alone (the GL's rule
    // for reading luminance textures); the internal format says it is grey.
    const Pack one = [](const std::uint8_t* p, int) { return Bytes{p[0]}; };
    const Pack two = [](const std::uint8_t* p, int) { return Bytes{p[0], p[3]}; };
    const Pack redGreen = [](const std::uint8_t* p, int) { return Bytes{p[0], p[1]}; };
    const Expect grey = [](const std::uint8_t* p) { return std::array<int, 4>{p[0], 0, 0, 255}; };
    const Expect greyAlpha = [](const std::uint8_t* p) { return std::array<int, 4>{p[0], 0, 0, p[3]}; };
    const Expect red = [](const std::uint8_t* p) { return std::array<int, 4>{p[0], 0, 0, 255}; };
    const Expect rg = [](const std::uint8_t* p) { return std::array<int, 4>{p[0], p[1], 0, 255}; };
    const PixelCase cases[] = {
        {"L8 masks", MaskFile(0x20000, 8, {0xFF, 0, 0, 0}), GL_LUMINANCE8, one, grey},
        {"L8A8 masks", MaskFile(0x20001, 16, {0x00FF, 0, 0, 0xFF00}), GL_LUMINANCE8_ALPHA8, two, greyAlpha},
        {"R8 masks", MaskFile(0x40, 8, {0xFF, 0, 0, 0}), GL_R8, one, red},
        {"R8 61", DXGIFile(61), GL_R8, one, red},
        {"R8 typeless 60", DXGIFile(60), GL_R8, one, red},
        {"R8G8 masks", MaskFile(0x40, 16, {0x00FF, 0xFF00, 0, 0}), GL_RG8, redGreen, rg},
        {"R8G8 49", DXGIFile(49), GL_RG8, redGreen, rg},
        {"R8G8 typeless 48", DXGIFile(48), GL_RG8, redGreen, rg},
    };
    ExpectPixelFiles(dir, cases);
}

// ---- what the loaders refuse ----

// Run by ctest a second time on a context without the RGTC and BPTC
// extensions (MESA_EXTENSION_OVERRIDE, with TESSA_WITHOUT_BLOCK_EXTENSIONS
// set): then those files are refused naming the format and the extension,
// and nothing is uploaded; with them, the same files load.
TEST_F(DDSFormatFamily, AFormatWhoseExtensionTheContextLacksIsRefusedNamingIt) {
    const bool without = std::getenv("TESSA_WITHOUT_BLOCK_EXTENSIONS") != nullptr;
    const struct {
        DDSOptions header;
        std::uint32_t blockBytes;
        const char* extension;
        const char* message;
    } cases[] = {
        {DXGIFile(98), 16, "GL_ARB_texture_compression_bptc",
         "Texture File Not Found (DDS): BC7 needs GL_ARB_texture_compression_bptc"},
        {DXGIFile(95), 16, "GL_ARB_texture_compression_bptc",
         "Texture File Not Found (DDS): BC6H needs GL_ARB_texture_compression_bptc"},
        {FourCCFile("ATI2"), 16, "GL_ARB_texture_compression_rgtc",
         "Texture File Not Found (DDS): BC5 needs GL_ARB_texture_compression_rgtc"},
        {DXGIFile(81), 8, "GL_ARB_texture_compression_rgtc",
         "Texture File Not Found (DDS): BC4 signed needs GL_ARB_texture_compression_rgtc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(epoxy_has_gl_extension(c.extension), !without);
        RecordingSink caseSink;
        const TextureName name;
        const Bytes blocks(6 * c.blockBytes, 0);  // 8 x 12: 2 x 3 blocks
        const TextureLoad load = LoadDDSTexture(dir.Write("ext.dds", EncodeDDS(c.header, blocks)), name.get(), caseSink);
        EXPECT_EQ(load.loaded, !without);
        EXPECT_EQ(QueryLevel(GL_TEXTURE_2D).width, without ? 0 : kWidth);
        EXPECT_EQ(caseSink.shown, (without ? Shown{{c.message, "Error"}} : Shown{}));
    }
}

// Cube faces are square.
constexpr int kSide = 8;
DDSOptions CubeFaceFile(std::uint32_t dxgi) {
    return {.width = kSide, .height = kSide, .fourCC = "DX10", .dxgiFormat = dxgi};
}

std::array<Bytes, 6> BC7Faces(int seed) {
    std::array<Bytes, 6> faces;
    for (int i = 0; i < 6; ++i) {
        const Picture picture = MakePicture(kSide, kSide, 4, seed + i);
        faces[static_cast<std::size_t>(i)] =
            EncodeBlocksWithGL(GL_COMPRESSED_RGBA_BPTC_UNORM, picture.pixels, GL_UNSIGNED_BYTE, kSide, kSide);
    }
    return faces;
}

CubeFacePaths WriteCube(const TempDir& dir, const std::array<DDSOptions, 6>& headers, const std::array<Bytes, 6>& data) {
    CubeFacePaths paths;
    for (std::size_t i = 0; i < 6; ++i)
        paths[i] = dir.Write("face" + std::to_string(i) + ".dds", EncodeDDS(headers[i], data[i]));
    return paths;
}

// Faces kept top row first are drawn with t flipped, which trades +Y and
// -Y: each of those goes into the other's place; the others keep theirs.
TEST_F(DDSFormatFamily, BC7CubeFacesKeepTheirRowsAndTradeTheYPlaces) {
    const std::array<Bytes, 6> faces = BC7Faces(40);
    std::array<DDSOptions, 6> headers;
    headers.fill(CubeFaceFile(98));
    const TextureName name;
    const TextureLoad load = LoadDDSCubeMap(WriteCube(dir, headers, faces), name.get(), sink);
    ASSERT_TRUE(load.loaded);
    EXPECT_TRUE(load.topDown);
    const std::size_t slotOfFile[] = {0, 1, 3, 2, 4, 5};
    for (std::size_t i = 0; i < 6; ++i) {
        const auto expected = DecodeBlocksWithGL(GL_COMPRESSED_RGBA_BPTC_UNORM, faces[i], kSide, kSide, GL_UNSIGNED_BYTE);
        glBindTexture(GL_TEXTURE_CUBE_MAP, name.get());
        EXPECT_TRUE(ReadRgba(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(slotOfFile[i]), GL_UNSIGNED_BYTE,
                             kSide, kSide) == expected)
            << "file face " << i;
    }
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(DDSFormatFamily, ACubeMapMixingTopDownAndBottomUpFacesIsRefused) {
    std::array<Bytes, 6> faces = BC7Faces(50);
    std::array<DDSOptions, 6> headers;
    headers.fill(CubeFaceFile(98));
    headers[4] = CubeFaceFile(83);  // BC5, read bottom row first
    const TextureName name;
    EXPECT_FALSE(LoadDDSCubeMap(WriteCube(dir, headers, faces), name.get(), sink));
    EXPECT_EQ(sink.shown, (Shown{{"Cube Texture File Not Found (DDS): its faces mix formats read top row first "
                                  "(BC6H, BC7) with formats read bottom row first",
                                  "Error"}}));
    glBindTexture(GL_TEXTURE_CUBE_MAP, name.get());
    EXPECT_EQ(QueryLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_Z).width, 0);
}

}  // namespace
