// The status bar's account of the shown model: its file and format, its
// counts, the size of its bounding box and how long it took to load.
#pragma once

#include <string>

#include "viewer/viewer_state.h"

// "sphere.xml (XML) | 1128 vertices | 528 triangles | 1 part | 1 texture |
// size 8 x 8 x 8 | loaded in 94 ms"; the default model is named by its
// file; "No model" when none is shown. Textures are those loaded into GL
// (a texture that failed to load is not counted); a model without parts is
// one part.
std::string ModelStatusText(const Viewer& viewer);
