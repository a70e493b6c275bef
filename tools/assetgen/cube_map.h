// The six faces of the terrain cube map, laid out as the GL's cube-map
// lookup expects them: face texel (s, t) is the one the GL samples for the
// direction CubeFaceDirection returns, with t = 0 the first row uploaded.
#pragma once

#include <array>
#include <string_view>

#include "assetgen/shading.h"

// In the order of the GL's face targets, +X, -X, +Y, -Y, +Z, -Z.
inline constexpr std::array<std::string_view, 6> kCubeFaceNames{"posx", "negx", "posy", "negy", "posz", "negz"};

// The direction (not unit length) through point (s, t), both in [0, 1], of face.
Vec3d CubeFaceDirection(int face, double s, double t);

// One face of size x size texels.
Image RenderCubeFace(int face, int size);
