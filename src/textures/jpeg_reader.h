// Reader for JPEG files with libjpeg-turbo: baseline and progressive,
// greyscale and colour (YCbCr or RGB), Huffman or arithmetic coded, all
// decoded to RGBA8 (rgba8_image.h) with alpha 255.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "textures/read_result.h"
#include "textures/rgba8_image.h"

// Reads a JPEG file, or parses one in memory. Refuses CMYK and YCCK files,
// and, with libjpeg's reason, a file that is truncated, corrupt or warned
// about (libjpeg would fill what is missing with grey), one of more than 256
// scans, one larger than RGBA8SizeProblem allows, and one with fewer bytes
// than an eighth of its 8 x 8 blocks (a Huffman-coded block takes at least
// one bit): those are checked before anything is allocated.
// A refused image keeps the width and height of its header once that has been read.
ReadResult<RGBA8Image> ReadJPEG(const std::string& path);
ReadResult<RGBA8Image> ParseJPEG(std::span<const std::uint8_t> bytes);

// True when bytes begin with a JPEG start-of-image marker and another marker.
bool HasJPEGSignature(std::span<const std::uint8_t> bytes);
