// The pixel formats the DDS reader takes: one row each, saying how a file's
// header names the format, how its levels are laid out and how the GL takes
// them. A new format is a new row in dds_formats.cpp (and, for a new kind
// of block, its flip in dds_blocks.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "textures/dds_header.h"

struct DDSFormat {
    std::string_view name;  // "DXT1", "BGRA8", ...: for reports and tests

    // The key. A row with a fourCC matches a pixel format that has the
    // FourCC flag and that code. A row without one (0) matches exactly its
    // flags, bits per pixel and red, green and blue masks, and the alpha
    // mask too when its flags include kDDSAlphaPixels.
    std::uint32_t fourCC = 0;
    std::uint32_t flags = 0;
    std::uint32_t bitCount = 0;
    std::array<std::uint32_t, 4> masks = {};  // red, green, blue, alpha

    // The layout: 4x4 blocks of blockBytes each, or with blockBytes 0
    // unpadded rows of components bytes per pixel.
    std::uint32_t blockBytes = 0;
    // Bytes per pixel of uncompressed data; for block formats the channels
    // the blocks decode to (3 for DXT1, 4 for DXT3 and DXT5).
    int components = 0;

    // The upload: glCompressedTexImage2D with glInternalFormat for block
    // formats, else glTexImage2D(glInternalFormat, glFormat, glType). For
    // block formats glFormat repeats glInternalFormat and glType is 0.
    std::uint32_t glInternalFormat = 0;
    std::uint32_t glFormat = 0;
    std::uint32_t glType = 0;

    // Block formats: reverses the first rows (1 to 4) inside every block of
    // a run of blocks. Null for uncompressed rows.
    void (*flipBlocks)(std::span<std::uint8_t> blocks, int rows) = nullptr;

    bool IsCompressed() const { return blockBytes != 0; }
    bool HasAlpha() const { return fourCC == 0 && (flags & kDDSAlphaPixels) != 0; }
};

// Every row, in the order they are tried.
std::span<const DDSFormat> DDSFormats();

// The first row whose key matches the header's pixel format; null when none does.
const DDSFormat* FindDDSFormat(const DDSPixelFormat& pixelFormat);

// Bytes of one width x height level of the format, in 64 bits and
// saturating (SaturatingMul), so that oversized headers can be refused.
std::uint64_t DDSLevelBytes(const DDSFormat& format, std::uint32_t width, std::uint32_t height);
