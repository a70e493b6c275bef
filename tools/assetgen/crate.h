// The default model's own texture: a wooden crate side with a large "F"
// and a coloured triangle in each corner (red at texture coordinates (0, 0),
// green at (1, 0), blue at (1, 1), yellow at (0, 1)), so every mirroring or
// turn of the mapping shows.
#pragma once

#include "common/image.h"

Image RenderCrate(int size);
