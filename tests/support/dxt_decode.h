// S3TC blocks decoded by libsquish, to compare blocks by what they show.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// RGBA rows top first, as the blocks lie in a file. format: 1, 3 or 5.
std::vector<std::uint8_t> DecodeS3TC(int format, std::span<const std::uint8_t> blocks, int width, int height);
// RGBA rows in reverse order: what a loader that turns a file's picture
// upside down should leave in the GL.
std::vector<std::uint8_t> ReverseRgbaRows(const std::vector<std::uint8_t>& rgba, int width, int height);
