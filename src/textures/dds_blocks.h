// S3TC and RGTC blocks turned upside down in place, for the DDS reader, which hands
// the GL every level bottom row first.
#pragma once

#include <cstdint>
#include <span>

// Exchanges two non-overlapping ranges of equal length.
void SwapBytes(std::span<std::uint8_t> a, std::span<std::uint8_t> b);

// Reverse the first rows (1 to 4) pixel rows inside every block of a run of
// blocks: 8-byte DXT1 blocks, 16-byte DXT3 and DXT5 blocks. A trailing
// partial block is left alone.
void FlipDXT1Blocks(std::span<std::uint8_t> blocks, int rows = 4);
void FlipDXT3Blocks(std::span<std::uint8_t> blocks, int rows = 4);
// The alpha half of a DXT5 block holds sixteen 3-bit indices in 48 bits,
// four rows of 12 bits, which are reversed as rows.
void FlipDXT5Blocks(std::span<std::uint8_t> blocks, int rows = 4);
// RGTC: a BC4 block is one 8-byte interpolated block (the alpha half of
// DXT5) for its one channel, a BC5 block two of them, red then green.
void FlipBC4Blocks(std::span<std::uint8_t> blocks, int rows = 4);
void FlipBC5Blocks(std::span<std::uint8_t> blocks, int rows = 4);
