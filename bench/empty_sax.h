// The XML baseline: libxml2's SAX2 push parser over a file with empty
// callbacks, on one thread. Apart from the loader's chunk size it depends on
// libxml2 alone, so that the bare program (bare_sax_main.cpp) is as small a
// process as such a parse can have.
#pragma once

#include <cstdint>
#include <string>

// Fed in pieces of the loader's chunk size read with read(). Returns the
// number of element starts seen (so that the work cannot be optimised
// away), or -1.
std::int64_t ParseWithEmptySax(const std::string& path);
