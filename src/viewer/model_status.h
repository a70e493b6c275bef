// The status bar's account of the shown model: its file and format, its
// counts, the size of its bounding box and how long it took to load.
#pragma once

#include <string>

#include "viewer/viewer_state.h"

// "torus.bin (BIN) | 1152 vertices | 2304 triangles | 1 part | 0 textures |
// size 8 x 8 x 2.67 | loaded in 12 ms"; the default model is named by its
// file; "No model" when none is shown. Textures are those loaded into GL
// (a texture that failed to load is not counted); a model without parts is
// one part.
std::string ModelStatusText(const Viewer& viewer);
