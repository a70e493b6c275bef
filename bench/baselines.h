// The baselines the loaders and the frame are measured against: the least
// work that reading the same file or drawing the same mesh can take.
#pragma once

#include <cstdint>
#include <string>

// libxml2's SAX2 push parser over the file with empty callbacks, fed in
// pieces of the loader's chunk size read with read(). Returns the number of
// element starts seen (so that the work cannot be optimised away), or -1.
std::int64_t ParseWithEmptySax(const std::string& path);

// Opens a BIN file and read()s its header and four blocks into freshly
// allocated, uninitialised buffers. Returns the bytes read, or -1.
std::int64_t ReadBinIntoFreshBuffers(const std::string& path);
