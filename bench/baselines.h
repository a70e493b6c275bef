// The baselines the loaders and the frame are measured against: the least
// work that reading the same file or drawing the same mesh can take.
#pragma once

#include <cstdint>
#include <string>

#include "empty_sax.h"

// Opens a BIN file and read()s its header and four blocks into freshly
// allocated, uninitialised buffers. Returns the bytes read, or -1.
std::int64_t ReadBinIntoFreshBuffers(const std::string& path);
