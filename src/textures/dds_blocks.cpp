#include "textures/dds_blocks.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {
// Reverses the first `rows` of four rows of rowBytes bytes each.
void ReverseBlockRows(std::span<std::uint8_t> fourRows, std::size_t rowBytes, int rows) {
    for (int k = 0; k < rows / 2; ++k)
        SwapBytes(fourRows.subspan(static_cast<std::size_t>(k) * rowBytes, rowBytes),
                  fourRows.subspan(static_cast<std::size_t>(rows - 1 - k) * rowBytes, rowBytes));
}

// Colour block: two 16-bit end points, then one byte of 2-bit indices per row.
void FlipColourBlock(std::span<std::uint8_t> block, int rows) { ReverseBlockRows(block.subspan(4, 4), 1, rows); }

// Explicit alpha: one 16-bit row of 4-bit alphas per pixel row.
void FlipExplicitAlphaBlock(std::span<std::uint8_t> block, int rows) { ReverseBlockRows(block.first(8), 2, rows); }

// Interpolated alpha: two 8-bit end points, then 48 bits of 3-bit indices,
// little-endian, pixel 0 in the lowest bits: one 12-bit group per row.
void FlipInterpolatedAlphaBlock(std::span<std::uint8_t> block, int rows) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    std::uint64_t row[4];
    for (int r = 0; r < 4; ++r) row[r] = (bits >> (12 * r)) & 0xFFF;
    std::reverse(row, row + rows);
    bits = 0;
    for (int r = 0; r < 4; ++r) bits |= row[r] << (12 * r);
    for (int i = 0; i < 6; ++i) block[2 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

template <class FlipBlock>
void ForEachBlock(std::span<std::uint8_t> blocks, std::size_t blockBytes, FlipBlock flip) {
    for (std::size_t at = 0; at + blockBytes <= blocks.size(); at += blockBytes) flip(blocks.subspan(at, blockBytes));
}

int ClampRows(int rows) { return std::clamp(rows, 1, 4); }
}  // namespace

void SwapBytes(std::span<std::uint8_t> a, std::span<std::uint8_t> b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::swap_ranges(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n), b.begin());
}

void FlipDXT1Blocks(std::span<std::uint8_t> blocks, int rows) {
    rows = ClampRows(rows);
    ForEachBlock(blocks, 8, [rows](std::span<std::uint8_t> block) { FlipColourBlock(block, rows); });
}

void FlipDXT3Blocks(std::span<std::uint8_t> blocks, int rows) {
    rows = ClampRows(rows);
    ForEachBlock(blocks, 16, [rows](std::span<std::uint8_t> block) {
        FlipExplicitAlphaBlock(block.first(8), rows);
        FlipColourBlock(block.subspan(8), rows);
    });
}

void FlipDXT5Blocks(std::span<std::uint8_t> blocks, int rows) {
    rows = ClampRows(rows);
    ForEachBlock(blocks, 16, [rows](std::span<std::uint8_t> block) {
        FlipInterpolatedAlphaBlock(block.first(8), rows);
        FlipColourBlock(block.subspan(8), rows);
    });
}

void FlipBC4Blocks(std::span<std::uint8_t> blocks, int rows) {
    rows = ClampRows(rows);
    ForEachBlock(blocks, 8, [rows](std::span<std::uint8_t> block) { FlipInterpolatedAlphaBlock(block, rows); });
}

void FlipBC5Blocks(std::span<std::uint8_t> blocks, int rows) {
    rows = ClampRows(rows);
    ForEachBlock(blocks, 16, [rows](std::span<std::uint8_t> block) {
        FlipInterpolatedAlphaBlock(block.first(8), rows);
        FlipInterpolatedAlphaBlock(block.subspan(8), rows);
    });
}
