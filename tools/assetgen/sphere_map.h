// The sphere-mapped test picture: for every texel, the eye-space reflection
// direction that the GL's sphere-map coordinate generation sends there, and
// the grid world's colour along it.
#pragma once

#include "assetgen/shading.h"

// The unit reflection vector for sphere-map coordinates (s, t) in [0, 1].
// Points outside the inscribed disc take the direction of the nearest point
// just inside its rim, so filtering at the rim finds no seam.
Vec3d SphereMapReflection(double s, double t);

Image RenderSphereMap(int size);
