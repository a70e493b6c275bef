// Encoders for the three picture formats the viewer reads. Every encoder is
// a pure function of the picture, so regenerated files are byte-identical.
#pragma once

#include "bytes.h"
#include "image.h"

// 24-bit uncompressed BMP: 54-byte header, BGR rows bottom first, each row
// padded to a multiple of 4 bytes.
Bytes EncodeBMP(const Image& image);

// 24-bit uncompressed TGA (image type 2), bottom-left origin, no ID, no
// colour map, no footer.
Bytes EncodeTGA(const Image& image);

// DDS with DXT1 blocks and the full mip chain down to 1x1. Rows are stored
// top row first, as DDS files keep them.
Bytes EncodeDDS(const Image& image);

// The DXT1 blocks of one level, top block row first.
Bytes CompressDXT1(const Image& image);
