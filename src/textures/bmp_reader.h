// Reader for uncompressed 24-bit BMP files. No GL: the pixels come back as
// the GL takes them with GL_BGR and the default 4-byte row alignment.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "textures/read_result.h"

struct BMPImage {
    std::int32_t width = 0;
    // Positive after a successful read; until then the header's value, sign
    // included (negative for a top-down file).
    std::int32_t height = 0;
    // B, G, R rows, each padded to a multiple of 4 bytes, bottom row first
    // (a top-down file's rows are reversed into this order).
    std::vector<std::uint8_t> pixels;
};

// Reads a BMP file, or parses one in memory. Refuses anything but a
// well-formed 24-bit image; a refused image keeps the width and height of
// its info header once that has been read.
ReadResult<BMPImage> ReadBMP(const std::string& path);
ReadResult<BMPImage> ParseBMP(std::span<const std::uint8_t> bytes);

// Bytes in one stored row of a 24-bit image: 3 per pixel, padded to 4.
std::uint64_t BMPRowBytes(std::uint64_t width);
