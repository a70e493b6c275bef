// What the PNG and JPEG readers decode to: one layout whatever the file
// held (palette, grey, 16-bit, alpha or not), ready for the GL as GL_RGBA,
// GL_UNSIGNED_BYTE. No GL here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct RGBA8Image {
    std::int32_t width = 0;  // filled as soon as the header has been read
    std::int32_t height = 0;
    // R, G, B, A, one byte each, rows unpadded (4 x width bytes), BOTTOM row
    // first, pixels left to right: texture row 0 is the picture's bottom, as
    // the BMP and TGA readers hand them over. A file without alpha gets 255.
    std::vector<std::uint8_t> pixels;
};

// Why a decoded image of width x height cannot be held, or "" when it can:
// an empty image, more than kMaxImageBytes of RGBA8 pixels (with extraBytes
// the decoder needs beside them), or more than the machine's memory
// (PhysicalMemoryBytes, which tests pin). format names the file kind in the reason.
std::string RGBA8SizeProblem(std::uint64_t width, std::uint64_t height, std::uint64_t extraBytes,
                             std::string_view format);
