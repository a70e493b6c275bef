// The two worlds that the reflection test textures show.
#pragma once

#include "assetgen/shading.h"

// A sky over open ground, as seen from the eye (y up, z towards the viewer):
// blue gradient sky, a sun up and to the right behind the viewer, a pale
// horizon and a dark ground plane with a light grid whose two axis lines are
// red (along x) and blue (along z). direction need not be unit length.
Color GridWorld(const Vec3d& direction);

// A landscape in world space (y up): sun over the sea towards +x, a snowy
// mountain range towards -x, green hills with a striped lighthouse towards +z,
// a dark volcano towards -z, clouded sky above and fields crossed by two
// roads below. direction need not be unit length.
Color TerrainWorld(const Vec3d& direction);
