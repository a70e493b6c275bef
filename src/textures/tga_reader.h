// Reader for TGA files of 8, 24 or 32 bits per pixel: raw or run-length
// encoded, grey, true-colour or colour-mapped (expanded to B, G, R(, A)),
// either origin. No GL: formats are reported as GL enumerant values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "textures/image_formats.h"
#include "textures/read_result.h"

struct TGAImage {
    std::int32_t width = 0;  // filled as soon as the header has been read
    std::int32_t height = 0;
    // Pixel format of the upload (eFormat): GL_LUMINANCE, GL_BGR or GL_BGRA.
    std::uint32_t format = kGlBgr;
    // Internal format (iComponents): GL_LUMINANCE8, GL_RGB8 or GL_RGBA8.
    std::uint32_t components = kGlRgb8;
    int bytesPerPixel = 0;
    // Unpadded rows, bottom row first, pixels left to right.
    std::vector<std::uint8_t> pixels;
};

// Reads a TGA file, or parses one in memory. 16-bit pixels and 15/16-bit
// colour maps are refused; a refused image keeps the width and height of
// its header once that has been read.
ReadResult<TGAImage> ReadTGA(const std::string& path);
ReadResult<TGAImage> ParseTGA(std::span<const std::uint8_t> bytes);

// The generic compressed internal format matching an internal format of
// ParseTGA (GL_LUMINANCE8 -> GL_COMPRESSED_LUMINANCE and so on); any other
// value is returned unchanged.
std::uint32_t CompressedTGAComponents(std::uint32_t components);
