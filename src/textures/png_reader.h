// Reader for PNG files with libpng: every colour type and bit depth
// (palette, grey, grey with alpha, RGB, RGBA; 1 to 16 bits; tRNS
// transparency; interlaced or not) becomes RGBA8 (rgba8_image.h). 16-bit
// samples are rounded to 8 bits; gamma and colour-profile chunks are
// ignored, so samples arrive as stored.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "textures/read_result.h"
#include "textures/rgba8_image.h"

// Reads a PNG file, or parses one in memory. Refuses, with libpng's reason
// where it has one, a file that is truncated, corrupt (a bad checksum
// included), warned about, or larger than RGBA8SizeProblem allows; also one
// whose compressed data is too short for its declared size (checked before
// anything is allocated: deflate packs at most about 1032 bytes into one).
// A refused image keeps the width and height of its header once that has been read.
ReadResult<RGBA8Image> ReadPNG(const std::string& path);
ReadResult<RGBA8Image> ParsePNG(std::span<const std::uint8_t> bytes);

// True when bytes begin with the PNG signature.
bool HasPNGSignature(std::span<const std::uint8_t> bytes);
