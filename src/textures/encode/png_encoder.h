// PNG writer with libpng, the mirror of png_reader.h: for the tests and the
// fuzz seeds. Every colour type and bit depth PNG has, with or without a
// tRNS chunk, interlaced or not. A pure function of its input.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "textures/encode/image_encoders.h"

enum class PNGColour { Grey, GreyAlpha, RGB, RGBA, Palette };

struct PNGPicture {
    int width = 0;
    int height = 0;
    PNGColour colour = PNGColour::RGB;
    int bitDepth = 8;  // 1, 2, 4, 8 or 16 as PNG allows for the colour type
    // Samples as stored, TOP row first: per pixel 1 (grey; a palette index),
    // 2 (grey, alpha), 3 (R, G, B) or 4 (R, G, B, A), each below 2^bitDepth.
    std::vector<std::uint16_t> samples;
    std::vector<std::array<std::uint8_t, 3>> palette;  // R, G, B entries, for Palette
    std::vector<std::uint8_t> paletteAlpha;            // tRNS for Palette: alpha of the first entries
    // tRNS for Grey (first value) and RGB: the colour that is transparent.
    std::optional<std::array<std::uint16_t, 3>> transparent;

    int SamplesPerPixel() const;
};

// std::invalid_argument when the samples do not fit the picture, or when
// libpng refuses it.
Bytes EncodePNG(const PNGPicture& picture, bool interlaced = false);

// An 8-bit grey, RGB or RGBA PNG picture of a Picture (B, G, R(, A) pixels).
PNGPicture PNGFromPicture(const Picture& picture);
