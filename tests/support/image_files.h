// Builders of small BMP, TGA and DDS files, for the tests, the fuzz seeds and
// the asset generator (whose files must stay byte for byte the same), and an
// S3TC decoder to compare blocks by what they show.
#pragma once

#include <array>
#include <cstdint>
#include <span>
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

// Every pixel different from its neighbours, so that any row or column mix-up shows.
Picture MakePicture(int width, int height, int channels, int seed = 0);
// Few colours in horizontal runs: good for run-length and colour-map files.
Picture MakeStripes(int width, int height, int channels);

Bytes EncodeBMP(const Picture& picture, bool topDown = false, std::size_t gapBytes = 0);

struct TGAOptions {
    bool runLength = false;
    bool topLeft = false;
    bool colourMapped = false;  // needs at most 256 distinct colours
    std::string id = {};
};
Bytes EncodeTGA(const Picture& picture, const TGAOptions& options = {});

struct DDSHeader {
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
    // Red, green, blue, alpha, written with the RGB flag (0x40): bytes stored B, G, R, A.
    std::array<std::uint32_t, 4> masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
};
Bytes EncodeDDS(const DDSHeader& header, const Bytes& data);

void PutU16(Bytes& bytes, std::size_t offset, std::uint16_t value);
void PutU32(Bytes& bytes, std::size_t offset, std::uint32_t value);

// Deterministic pseudo-random blocks: colour end points with c0 > c1 except
// where allowThreeColour lets DXT1 blocks pick either order.
Bytes RandomBlocks(std::size_t count, std::size_t blockBytes, std::uint32_t seed, bool allowThreeColour);

// S3TC blocks decoded by libsquish: RGBA rows top first, as the blocks lie in
// a file. format: 1, 3 or 5.
std::vector<std::uint8_t> DecodeS3TC(int format, std::span<const std::uint8_t> blocks, int width, int height);
// RGBA rows in reverse order: what a loader that turns a file's picture
// upside down should leave in the GL.
std::vector<std::uint8_t> ReverseRgbaRows(const std::vector<std::uint8_t>& rgba, int width, int height);
