// The generators' pictures in the three formats the viewer reads, through
// the one set of picture encoders. Every encoder is a pure function of the
// picture, so regenerated files are byte-identical.
#pragma once

#include "bytes.h"
#include "image.h"
#include "textures/encode/image_encoders.h"

// The image as the encoders take it: B, G, R, top row first.
Picture ToPicture(const Image& image);

// DDS with DXT1 blocks and the full mip chain down to 1x1. Rows are stored
// top row first, as DDS files keep them.
Bytes EncodeMippedDXT1(const Image& image);

// The DXT1 blocks of one level, top block row first.
Bytes CompressDXT1(const Image& image);
