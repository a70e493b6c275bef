// Deterministic sample pictures and S3TC blocks, which the tests and the fuzz
// seeds encode with image_encoders.h.
#pragma once

#include <cstdint>

#include "textures/encode/image_encoders.h"

// Every pixel different from its neighbours, so that any row or column mix-up shows.
Picture MakePicture(int width, int height, int channels, int seed = 0);
// Few colours in horizontal runs: good for run-length and colour-map files.
Picture MakeStripes(int width, int height, int channels);

// Deterministic pseudo-random blocks: colour end points with c0 > c1 except
// where allowThreeColour lets DXT1 blocks pick either order.
Bytes RandomBlocks(std::size_t count, std::size_t blockBytes, std::uint32_t seed, bool allowThreeColour);
