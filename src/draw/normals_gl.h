// The debug view of a mesh's normals: each vertex's normal as a short line.
#pragma once

#include "mesh/mesh.h"

// The colour the lines are drawn in, unlit and untextured (RGB, 0 to 1).
inline constexpr float kNormalLineColor[3] = {1.0f, 1.0f, 0.0f};
// The lines' length as a share of the radius of the sphere that holds the model.
inline constexpr float kNormalLineShare = 0.1f;

// Draws, in the current model-view, a line from each vertex along its normal
// (made unit length; a zero normal draws nothing), kNormalLineShare of the
// model's bounding radius long. Leaves the enables, the colour and the
// client state as it found them.
void DrawNormals(const Mesh& mesh);
