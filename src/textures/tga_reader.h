// Reader for TGA files of 8, 24 or 32 bits per pixel: raw or run-length
// encoded, grey, true-colour or colour-mapped (expanded to B, G, R(, A)),
// either origin. No GL: formats are reported as GL enumerant values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "textures/image_formats.h"

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

// Reads a TGA from a file or from memory. Returns false and sets error (a
// short reason) on failure. 16-bit pixels and 15/16-bit colour maps are refused.
bool ReadTGA(const std::string& path, TGAImage& image, std::string& error);
bool ReadTGA(std::span<const std::uint8_t> bytes, TGAImage& image, std::string& error);

// The generic compressed internal format matching an internal format of
// ReadTGA (GL_LUMINANCE8 -> GL_COMPRESSED_LUMINANCE and so on); any other
// value is returned unchanged.
std::uint32_t CompressedTGAComponents(std::uint32_t components);
