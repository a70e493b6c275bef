// The pixel formats the DDS reader takes: one row each, saying how a file's
// header names the format (a legacy FourCC or channel masks, a DXGI number
// in the DX10 header, or both), how its levels are laid out, how the GL
// takes them and what the GL must offer for it. A new format is a new row
// in dds_formats.cpp (and, for a new kind of block, its flip in dds_blocks.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "textures/dds_header.h"

struct DDSFormat {
    std::string_view name;  // "BC1", "BGRA8", "BC7 sRGB", ...: for messages, reports and tests

    // The legacy key. A row with a fourCC matches a pixel format that has
    // the FourCC flag and that code (or altFourCC). A row without one
    // matches exactly its flags, bits per pixel and red, green and blue
    // masks, and the alpha mask too when its flags include kDDSAlphaPixels.
    // flags 0: no legacy key (the format is named by its DXGI number only).
    std::uint32_t fourCC = 0;
    std::uint32_t altFourCC = 0;
    std::uint32_t flags = 0;
    std::uint32_t bitCount = 0;
    std::array<std::uint32_t, 4> masks = {};  // red, green, blue, alpha

    // The DX10 key: the DXGI format number, and its typeless form, which
    // is read as this one (0: none).
    std::uint32_t dxgi = 0;
    std::uint32_t dxgiTypeless = 0;

    // The layout: 4x4 blocks of blockBytes each, or with blockBytes 0
    // unpadded rows of components bytes per pixel.
    std::uint32_t blockBytes = 0;
    // Bytes per pixel of uncompressed data; for block formats the channels
    // the blocks decode to (3 for DXT1, 4 for DXT3 and DXT5, 1 for BC4...).
    int components = 0;

    // The upload: glCompressedTexImage2D with glInternalFormat for block
    // formats, else glTexImage2D(glInternalFormat, glFormat, glType). For
    // block formats glFormat repeats glInternalFormat and glType is 0.
    std::uint32_t glInternalFormat = 0;
    std::uint32_t glFormat = 0;
    std::uint32_t glType = 0;
    // The GL extensions the upload needs, all of them (empty: none).
    std::array<std::string_view, 2> extensions = {};
    // Colours are sRGB-encoded: the GL turns them linear when sampling.
    bool srgb = false;

    // Block formats: reverses the first rows (1 to 4) inside every block of
    // a run of blocks. Null for uncompressed rows, and for blocks that cannot
    // be turned over without decoding them (BC6H, BC7: their partitions
    // have fixed shapes); those levels are read as stored, top row first.
    void (*flipBlocks)(std::span<std::uint8_t> blocks, int rows) = nullptr;

    bool IsCompressed() const { return blockBytes != 0; }
    // Uncompressed pixels with an alpha channel (the masks say the layout
    // also for rows without a legacy key).
    bool HasAlpha() const { return !IsCompressed() && masks[3] != 0; }
    // Whether levels of this format stay top row first in memory.
    bool ReadsTopDown() const { return IsCompressed() && flipBlocks == nullptr; }
};

// Every row, in the order they are tried.
std::span<const DDSFormat> DDSFormats();

// The first row whose legacy key matches the header's pixel format; null when none does.
const DDSFormat* FindDDSFormat(const DDSPixelFormat& pixelFormat);
// The row of a DXGI format number (or its typeless form); null when none has it.
const DDSFormat* FindDDSFormatDXGI(std::uint32_t dxgiFormat);

// Bytes of one width x height level of the format, in 64 bits and
// saturating (SaturatingMul), so that oversized headers can be refused.
std::uint64_t DDSLevelBytes(const DDSFormat& format, std::uint32_t width, std::uint32_t height);
