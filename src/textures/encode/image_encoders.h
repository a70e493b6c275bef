// Writers of BMP, TGA and DDS files: the mirror of the readers, for the
// tests, the fuzz seeds and the asset generator (whose files must stay byte
// for byte the same, so every encoder is a pure function of its input).
// The program itself writes no image files and does not link them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A picture as a person sees it: row 0 is the TOP row. channels is 1 (grey),
// 3 (B, G, R) or 4 (B, G, R, A).
struct Picture {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> pixels;

    std::uint8_t* At(int x, int y) { return &pixels[(static_cast<std::size_t>(y) * width + x) * channels]; }
    const std::uint8_t* At(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * channels]; }
    // Rows bottom first, unpadded: what a loader should hand to the GL.
    Bytes BottomUp() const;
};

// A 24-bit file, rows padded to 4 bytes; gapBytes of filler (a colour table
// nobody should read) between the headers and the pixels.
// Precondition: picture.channels == 3 (std::invalid_argument otherwise).
Bytes EncodeBMP(const Picture& picture, bool topDown = false, std::size_t gapBytes = 0);

struct TGAOptions {
    bool runLength = false;
    bool topLeft = false;
    bool colourMapped = false;  // needs at most 256 distinct colours
    std::string id = {};
};
Bytes EncodeTGA(const Picture& picture, const TGAOptions& options = {});

// The fields of a DDS header that the files written here differ in (the
// layout itself is textures/dds_header.h).
struct DDSOptions {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t mipCount = 0;              // levels including the base
    std::uint32_t flags = 0x1007 | 0x20000;  // caps, height, width, pixel format, mip count
    std::uint32_t linearSize = 0;
    std::uint32_t formatFlags = 0x4;  // four-character code present
    std::string fourCC = "DXT1";
    std::uint32_t bitCount = 0;
    std::uint32_t caps = 0x1000;  // texture
    std::uint32_t caps2 = 0;
    // Red, green, blue, alpha, written with the RGB (0x40) or luminance
    // (0x20000) flag: bytes stored B, G, R, A.
    std::array<std::uint32_t, 4> masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    std::uint32_t depth = 0;
    // With fourCC "DX10", the DX10 header that follows: the DXGI format,
    // the resource dimension (3: 2D), the misc flag (4: cube map), the
    // array size and the second misc flags.
    std::uint32_t dxgiFormat = 0;
    std::uint32_t resourceDimension = 3;
    std::uint32_t miscFlag = 0;
    std::uint32_t arraySize = 1;
    std::uint32_t miscFlags2 = 0;
};
// The header (and the DX10 one when fourCC is "DX10"), then data as given
// (every level of every face, in file order).
Bytes EncodeDDS(const DDSOptions& options, const Bytes& data);

// Little-endian stores; std::out_of_range when the field does not fit.
void PutU16(Bytes& bytes, std::size_t offset, std::uint16_t value);
void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value);
