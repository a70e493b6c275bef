#include "textures/dds_formats.h"

#include "textures/dds_blocks.h"
#include "textures/image_bytes.h"
#include "textures/image_formats.h"

namespace {

constexpr std::array<std::uint32_t, 4> kBgrMasks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
constexpr std::array<std::uint32_t, 4> kRgbMasks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0};
constexpr std::array<std::uint32_t, 4> kBgraMasks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
constexpr std::array<std::uint32_t, 4> kRgbaMasks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};

// Without the alpha flag a fourth byte is padding: the internal format has
// no alpha, and the GL drops the byte. One row a format, the key first.
// clang-format off
constexpr DDSFormat kFormats[] = {
    {.name = "DXT1", .fourCC = FourCC("DXT1"), .flags = kDDSFourCC, .blockBytes = 8, .components = 3,
     .glInternalFormat = kGlCompressedRgbaDxt1, .glFormat = kGlCompressedRgbaDxt1, .flipBlocks = FlipDXT1Blocks},
    {.name = "DXT3", .fourCC = FourCC("DXT3"), .flags = kDDSFourCC, .blockBytes = 16, .components = 4,
     .glInternalFormat = kGlCompressedRgbaDxt3, .glFormat = kGlCompressedRgbaDxt3, .flipBlocks = FlipDXT3Blocks},
    {.name = "DXT5", .fourCC = FourCC("DXT5"), .flags = kDDSFourCC, .blockBytes = 16, .components = 4,
     .glInternalFormat = kGlCompressedRgbaDxt5, .glFormat = kGlCompressedRgbaDxt5, .flipBlocks = FlipDXT5Blocks},
    {.name = "BGR8", .flags = kDDSRgb, .bitCount = 24, .masks = kBgrMasks, .components = 3,
     .glInternalFormat = kGlRgb8, .glFormat = kGlBgr, .glType = kGlUnsignedByte},
    {.name = "RGB8", .flags = kDDSRgb, .bitCount = 24, .masks = kRgbMasks, .components = 3,
     .glInternalFormat = kGlRgb8, .glFormat = kGlRgb, .glType = kGlUnsignedByte},
    {.name = "BGRX8", .flags = kDDSRgb, .bitCount = 32, .masks = kBgrMasks, .components = 4,
     .glInternalFormat = kGlRgb8, .glFormat = kGlBgra, .glType = kGlUnsignedByte},
    {.name = "RGBX8", .flags = kDDSRgb, .bitCount = 32, .masks = kRgbMasks, .components = 4,
     .glInternalFormat = kGlRgb8, .glFormat = kGlRgba, .glType = kGlUnsignedByte},
    {.name = "BGRA8", .flags = kDDSRgba, .bitCount = 32, .masks = kBgraMasks, .components = 4,
     .glInternalFormat = kGlRgba8, .glFormat = kGlBgra, .glType = kGlUnsignedByte},
    {.name = "RGBA8", .flags = kDDSRgba, .bitCount = 32, .masks = kRgbaMasks, .components = 4,
     .glInternalFormat = kGlRgba8, .glFormat = kGlRgba, .glType = kGlUnsignedByte},
};
// clang-format on

bool Matches(const DDSFormat& row, const DDSPixelFormat& pf) {
    if (row.fourCC != 0) return (pf.flags & kDDSFourCC) != 0 && pf.fourCC == row.fourCC;
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

std::uint64_t DDSLevelBytes(const DDSFormat& format, std::uint32_t width, std::uint32_t height) {
    if (format.IsCompressed())
        return SaturatingMul(SaturatingMul((width + 3ull) / 4, (height + 3ull) / 4), format.blockBytes);
    return SaturatingMul(SaturatingMul(width, height), static_cast<std::uint64_t>(format.components));
}
