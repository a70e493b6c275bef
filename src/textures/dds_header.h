// The DDS file header as it lies in the file: "DDS ", then DDSHeader (124
// bytes, its pixel format 32 of them), then the data. All fields are
// little-endian 32-bit words, read and written by copying the struct.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

static_assert(std::endian::native == std::endian::little, "the DDS header is copied as it lies in the file");

// Pixel-format flags (DDSPixelFormat::flags).
inline constexpr std::uint32_t kDDSAlphaPixels = 0x1;  // the alpha mask is meaningful
inline constexpr std::uint32_t kDDSFourCC = 0x4;       // fourCC names the format
inline constexpr std::uint32_t kDDSRgb = 0x40;         // uncompressed; the masks give the channels
inline constexpr std::uint32_t kDDSRgba = kDDSRgb | kDDSAlphaPixels;
inline constexpr std::uint32_t kDDSLuminance = 0x20000;  // uncompressed grey; the red mask gives it
inline constexpr std::uint32_t kDDSLuminanceAlpha = kDDSLuminance | kDDSAlphaPixels;
// DDSHeader::caps2: a cube map, or any of its faces; a volume texture.
inline constexpr std::uint32_t kDDSCubeMapBits = 0xFE00;
inline constexpr std::uint32_t kDDSVolume = 0x200000;

struct DDSPixelFormat {
    std::uint32_t size;  // 32
    std::uint32_t flags;
    std::uint32_t fourCC;  // four characters, the first in the lowest byte
    std::uint32_t rgbBitCount;
    std::uint32_t redMask;
    std::uint32_t greenMask;
    std::uint32_t blueMask;
    std::uint32_t alphaMask;
};
static_assert(sizeof(DDSPixelFormat) == 32);

struct DDSHeader {
    std::uint32_t size;  // 124
    std::uint32_t flags;
    std::uint32_t height;
    std::uint32_t width;
    std::uint32_t pitchOrLinearSize;
    std::uint32_t depth;
    std::uint32_t mipMapCount;  // levels including the base; 0 or 1: the base alone
    std::uint32_t reserved1[11];
    DDSPixelFormat pixelFormat;
    std::uint32_t caps;
    std::uint32_t caps2;
    std::uint32_t caps3;
    std::uint32_t caps4;
    std::uint32_t reserved2;
};
static_assert(sizeof(DDSHeader) == 124);
static_assert(offsetof(DDSHeader, pixelFormat) == 72 && offsetof(DDSHeader, caps2) == 108);

// After DDSHeader when its pixel format's FourCC is "DX10": the format as a
// DXGI number, and what kind of resource the file holds.
struct DDSHeaderDX10 {
    std::uint32_t dxgiFormat;
    std::uint32_t resourceDimension;  // DDSResourceDimension
    std::uint32_t miscFlag;           // kDDSMiscTextureCube
    std::uint32_t arraySize;          // slices; of whole cube maps when a cube
    std::uint32_t miscFlags2;         // the alpha mode in its low bits
};
static_assert(sizeof(DDSHeaderDX10) == 20);

enum class DDSResourceDimension : std::uint32_t { Unknown = 0, Buffer = 1, Texture1D = 2, Texture2D = 3, Texture3D = 4 };
inline constexpr std::uint32_t kDDSMiscTextureCube = 0x4;

inline constexpr std::array<std::uint8_t, 4> kDDSMagic = {'D', 'D', 'S', ' '};
// Where the data starts: the magic and the header.
inline constexpr std::size_t kDDSDataOffset = kDDSMagic.size() + sizeof(DDSHeader);

// Where the data starts in a file with the DX10 header.
inline constexpr std::size_t kDDSDX10DataOffset = kDDSDataOffset + sizeof(DDSHeaderDX10);

constexpr std::uint32_t FourCC(const char (&code)[5]) {
    return static_cast<std::uint32_t>(code[0]) | (static_cast<std::uint32_t>(code[1]) << 8) |
           (static_cast<std::uint32_t>(code[2]) << 16) | (static_cast<std::uint32_t>(code[3]) << 24);
}

// The header of a file. Precondition: bytes holds at least kDDSDataOffset
// bytes (the magic is not checked here).
inline DDSHeader DDSHeaderOf(std::span<const std::uint8_t> bytes) {
    DDSHeader header;
    std::memcpy(&header, bytes.data() + kDDSMagic.size(), sizeof header);
    return header;
}

// The DX10 header of a file. Precondition: bytes holds at least kDDSDX10DataOffset bytes.
inline DDSHeaderDX10 DDSHeaderDX10Of(std::span<const std::uint8_t> bytes) {
    DDSHeaderDX10 header;
    std::memcpy(&header, bytes.data() + kDDSDataOffset, sizeof header);
    return header;
}
