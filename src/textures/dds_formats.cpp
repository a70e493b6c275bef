#include "textures/dds_formats.h"

#include "textures/dds_blocks.h"
#include "textures/image_bytes.h"
#include "textures/image_formats.h"

namespace {

constexpr std::array<std::uint32_t, 4> kBgrMasks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
constexpr std::array<std::uint32_t, 4> kRgbMasks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0};
constexpr std::array<std::uint32_t, 4> kBgraMasks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
constexpr std::array<std::uint32_t, 4> kRgbaMasks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
constexpr std::array<std::uint32_t, 4> k565Masks = {0xF800, 0x07E0, 0x001F, 0};
constexpr std::array<std::uint32_t, 4> k5551Masks = {0x7C00, 0x03E0, 0x001F, 0x8000};
constexpr std::array<std::uint32_t, 4> k555Masks = {0x7C00, 0x03E0, 0x001F, 0};
constexpr std::array<std::uint32_t, 4> k4444Masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
constexpr std::array<std::uint32_t, 4> kRedMasks = {0xFF, 0, 0, 0};
constexpr std::array<std::uint32_t, 4> kRedGreenMasks = {0x00FF, 0xFF00, 0, 0};
constexpr std::array<std::uint32_t, 4> kGreyAlphaMasks = {0x00FF, 0, 0, 0xFF00};

constexpr std::string_view kS3TC = "GL_EXT_texture_compression_s3tc";
constexpr std::string_view kSRGB = "GL_EXT_texture_sRGB";
constexpr std::string_view kRGTC = "GL_ARB_texture_compression_rgtc";
constexpr std::string_view kBPTC = "GL_ARB_texture_compression_bptc";

// Without the alpha flag a fourth byte (bit) is padding: the internal
// format has no alpha, and the GL drops it. One row a format, the keys
// first; the DXGI numbers are those of the DXGI_FORMAT enumeration.
// clang-format off
constexpr DDSFormat kFormats[] = {
    // S3TC (BC1-BC3).
    {.name = "DXT1", .fourCC = FourCC("DXT1"), .flags = kDDSFourCC, .dxgi = 71, .dxgiTypeless = 70,
     .blockBytes = 8, .components = 3, .glInternalFormat = kGlCompressedRgbaDxt1, .glFormat = kGlCompressedRgbaDxt1,
     .extensions = {kS3TC}, .flipBlocks = FlipDXT1Blocks},
    {.name = "DXT1 sRGB", .dxgi = 72, .blockBytes = 8, .components = 3,
     .glInternalFormat = kGlCompressedSrgbAlphaDxt1, .glFormat = kGlCompressedSrgbAlphaDxt1,
     .extensions = {kS3TC, kSRGB}, .srgb = true, .flipBlocks = FlipDXT1Blocks},
    {.name = "DXT3", .fourCC = FourCC("DXT3"), .flags = kDDSFourCC, .dxgi = 74, .dxgiTypeless = 73,
     .blockBytes = 16, .components = 4, .glInternalFormat = kGlCompressedRgbaDxt3, .glFormat = kGlCompressedRgbaDxt3,
     .extensions = {kS3TC}, .flipBlocks = FlipDXT3Blocks},
    {.name = "DXT3 sRGB", .dxgi = 75, .blockBytes = 16, .components = 4,
     .glInternalFormat = kGlCompressedSrgbAlphaDxt3, .glFormat = kGlCompressedSrgbAlphaDxt3,
     .extensions = {kS3TC, kSRGB}, .srgb = true, .flipBlocks = FlipDXT3Blocks},
    {.name = "DXT5", .fourCC = FourCC("DXT5"), .flags = kDDSFourCC, .dxgi = 77, .dxgiTypeless = 76,
     .blockBytes = 16, .components = 4, .glInternalFormat = kGlCompressedRgbaDxt5, .glFormat = kGlCompressedRgbaDxt5,
     .extensions = {kS3TC}, .flipBlocks = FlipDXT5Blocks},
    {.name = "DXT5 sRGB", .dxgi = 78, .blockBytes = 16, .components = 4,
     .glInternalFormat = kGlCompressedSrgbAlphaDxt5, .glFormat = kGlCompressedSrgbAlphaDxt5,
     .extensions = {kS3TC, kSRGB}, .srgb = true, .flipBlocks = FlipDXT5Blocks},
    // RGTC (BC4, BC5): one or two channels.
    {.name = "BC4", .fourCC = FourCC("ATI1"), .altFourCC = FourCC("BC4U"), .flags = kDDSFourCC, .dxgi = 80,
     .dxgiTypeless = 79, .blockBytes = 8, .components = 1, .glInternalFormat = kGlCompressedRedRgtc1,
     .glFormat = kGlCompressedRedRgtc1, .extensions = {kRGTC}, .flipBlocks = FlipBC4Blocks},
    {.name = "BC4 signed", .fourCC = FourCC("BC4S"), .flags = kDDSFourCC, .dxgi = 81, .blockBytes = 8,
     .components = 1, .glInternalFormat = kGlCompressedSignedRedRgtc1, .glFormat = kGlCompressedSignedRedRgtc1,
     .extensions = {kRGTC}, .flipBlocks = FlipBC4Blocks},
    {.name = "BC5", .fourCC = FourCC("ATI2"), .altFourCC = FourCC("BC5U"), .flags = kDDSFourCC, .dxgi = 83,
     .dxgiTypeless = 82, .blockBytes = 16, .components = 2, .glInternalFormat = kGlCompressedRgRgtc2,
     .glFormat = kGlCompressedRgRgtc2, .extensions = {kRGTC}, .flipBlocks = FlipBC5Blocks},
    {.name = "BC5 signed", .fourCC = FourCC("BC5S"), .flags = kDDSFourCC, .dxgi = 84, .blockBytes = 16,
     .components = 2, .glInternalFormat = kGlCompressedSignedRgRgtc2, .glFormat = kGlCompressedSignedRgRgtc2,
     .extensions = {kRGTC}, .flipBlocks = FlipBC5Blocks},
    // BPTC (BC6H, BC7): no flip, read top row first.
    {.name = "BC6H", .dxgi = 95, .dxgiTypeless = 94, .blockBytes = 16, .components = 3,
     .glInternalFormat = kGlCompressedRgbBptcUnsignedFloat, .glFormat = kGlCompressedRgbBptcUnsignedFloat,
     .extensions = {kBPTC}},
    {.name = "BC6H signed", .dxgi = 96, .blockBytes = 16, .components = 3,
     .glInternalFormat = kGlCompressedRgbBptcSignedFloat, .glFormat = kGlCompressedRgbBptcSignedFloat,
     .extensions = {kBPTC}},
    {.name = "BC7", .dxgi = 98, .dxgiTypeless = 97, .blockBytes = 16, .components = 4,
     .glInternalFormat = kGlCompressedRgbaBptcUnorm, .glFormat = kGlCompressedRgbaBptcUnorm, .extensions = {kBPTC}},
    {.name = "BC7 sRGB", .dxgi = 99, .blockBytes = 16, .components = 4,
     .glInternalFormat = kGlCompressedSrgbAlphaBptcUnorm, .glFormat = kGlCompressedSrgbAlphaBptcUnorm,
     .extensions = {kBPTC}, .srgb = true},
    // 8 bits a channel.
    {.name = "BGR8", .flags = kDDSRgb, .bitCount = 24, .masks = kBgrMasks, .components = 3,
     .glInternalFormat = kGlRgb8, .glFormat = kGlBgr, .glType = kGlUnsignedByte},
    {.name = "RGB8", .flags = kDDSRgb, .bitCount = 24, .masks = kRgbMasks, .components = 3,
     .glInternalFormat = kGlRgb8, .glFormat = kGlRgb, .glType = kGlUnsignedByte},
    {.name = "BGRX8", .flags = kDDSRgb, .bitCount = 32, .masks = kBgrMasks, .dxgi = 88, .dxgiTypeless = 92,
     .components = 4, .glInternalFormat = kGlRgb8, .glFormat = kGlBgra, .glType = kGlUnsignedByte},
    {.name = "BGRX8 sRGB", .masks = kBgrMasks, .dxgi = 93, .components = 4,
     .glInternalFormat = kGlSrgb8, .glFormat = kGlBgra, .glType = kGlUnsignedByte, .srgb = true},
    {.name = "RGBX8", .flags = kDDSRgb, .bitCount = 32, .masks = kRgbMasks, .components = 4,
     .glInternalFormat = kGlRgb8, .glFormat = kGlRgba, .glType = kGlUnsignedByte},
    {.name = "BGRA8", .flags = kDDSRgba, .bitCount = 32, .masks = kBgraMasks, .dxgi = 87, .dxgiTypeless = 90,
     .components = 4, .glInternalFormat = kGlRgba8, .glFormat = kGlBgra, .glType = kGlUnsignedByte},
    {.name = "BGRA8 sRGB", .masks = kBgraMasks, .dxgi = 91, .components = 4,
     .glInternalFormat = kGlSrgb8Alpha8, .glFormat = kGlBgra, .glType = kGlUnsignedByte, .srgb = true},
    {.name = "RGBA8", .flags = kDDSRgba, .bitCount = 32, .masks = kRgbaMasks, .dxgi = 28, .dxgiTypeless = 27,
     .components = 4, .glInternalFormat = kGlRgba8, .glFormat = kGlRgba, .glType = kGlUnsignedByte},
    {.name = "RGBA8 sRGB", .masks = kRgbaMasks, .dxgi = 29, .components = 4,
     .glInternalFormat = kGlSrgb8Alpha8, .glFormat = kGlRgba, .glType = kGlUnsignedByte, .srgb = true},
    // 16 bits a pixel, little-endian words.
    {.name = "B5G6R5", .flags = kDDSRgb, .bitCount = 16, .masks = k565Masks, .dxgi = 85, .components = 2,
     .glInternalFormat = kGlRgb565, .glFormat = kGlRgb, .glType = kGlUnsignedShort565},
    {.name = "B5G5R5A1", .flags = kDDSRgba, .bitCount = 16, .masks = k5551Masks, .dxgi = 86, .components = 2,
     .glInternalFormat = kGlRgb5A1, .glFormat = kGlBgra, .glType = kGlUnsignedShort1555Rev},
    {.name = "B5G5R5X1", .flags = kDDSRgb, .bitCount = 16, .masks = k555Masks, .components = 2,
     .glInternalFormat = kGlRgb5, .glFormat = kGlBgra, .glType = kGlUnsignedShort1555Rev},
    {.name = "B4G4R4A4", .flags = kDDSRgba, .bitCount = 16, .masks = k4444Masks, .dxgi = 115, .components = 2,
     .glInternalFormat = kGlRgba4, .glFormat = kGlBgra, .glType = kGlUnsignedShort4444Rev},
    // One and two channels.
    {.name = "L8", .flags = kDDSLuminance, .bitCount = 8, .masks = kRedMasks, .components = 1,
     .glInternalFormat = kGlLuminance8, .glFormat = kGlLuminance, .glType = kGlUnsignedByte},
    {.name = "L8A8", .flags = kDDSLuminanceAlpha, .bitCount = 16, .masks = kGreyAlphaMasks, .components = 2,
     .glInternalFormat = kGlLuminance8Alpha8, .glFormat = kGlLuminanceAlpha, .glType = kGlUnsignedByte},
    {.name = "R8", .flags = kDDSRgb, .bitCount = 8, .masks = kRedMasks, .dxgi = 61, .dxgiTypeless = 60,
     .components = 1, .glInternalFormat = kGlR8, .glFormat = kGlRed, .glType = kGlUnsignedByte},
    {.name = "R8G8", .flags = kDDSRgb, .bitCount = 16, .masks = kRedGreenMasks, .dxgi = 49, .dxgiTypeless = 48,
     .components = 2, .glInternalFormat = kGlRg8, .glFormat = kGlRg, .glType = kGlUnsignedByte},
};
// clang-format on

bool Matches(const DDSFormat& row, const DDSPixelFormat& pf) {
    if (row.flags == 0) return false;
    if (row.fourCC != 0)
        return (pf.flags & kDDSFourCC) != 0 && (pf.fourCC == row.fourCC || (row.altFourCC != 0 && pf.fourCC == row.altFourCC));
    const bool alpha = (row.flags & kDDSAlphaPixels) != 0;
    return pf.flags == row.flags && pf.rgbBitCount == row.bitCount && pf.redMask == row.masks[0] &&
           pf.greenMask == row.masks[1] && pf.blueMask == row.masks[2] && (!alpha || pf.alphaMask == row.masks[3]);
}

}  // namespace

std::span<const DDSFormat> DDSFormats() { return kFormats; }

const DDSFormat* FindDDSFormat(const DDSPixelFormat& pixelFormat) {
    for (const DDSFormat& row : kFormats)
        if (Matches(row, pixelFormat)) return &row;
    return nullptr;
}

const DDSFormat* FindDDSFormatDXGI(std::uint32_t dxgiFormat) {
    if (dxgiFormat == 0) return nullptr;  // DXGI_FORMAT_UNKNOWN
    for (const DDSFormat& row : kFormats)
        if (row.dxgi == dxgiFormat || row.dxgiTypeless == dxgiFormat) return &row;
    return nullptr;
}

std::uint64_t DDSLevelBytes(const DDSFormat& format, std::uint32_t width, std::uint32_t height) {
    if (format.IsCompressed())
        return SaturatingMul(SaturatingMul((width + 3ull) / 4, (height + 3ull) / 4), format.blockBytes);
    return SaturatingMul(SaturatingMul(width, height), static_cast<std::uint64_t>(format.components));
}
