// The default model and the example models.
#pragma once

#include "mesh/mesh.h"

// A cube from -0.5 to 0.5: four vertices per side with the side's outward
// normal and texture coordinates 0 or 1 that show the texture upright on the
// four upright sides, 12 triangles counter-clockwise seen from outside, and
// texturePath as its own texture.
Mesh MakeCube(const std::string& texturePath);

// A UV sphere of the given radius around the origin. Each latitude and
// longitude patch has vertices of its own, so it can carry the whole texture
// with the integer texture coordinates the XML form allows.
Mesh MakeSphere(double radius, int slices, int stacks, const std::string& texturePath);

// A torus around the z axis, tipped by 30 degrees about x so it shows its
// hole and its thickness. Vertices are shared; texture coordinates alternate
// between 0 and 1 around both circles, mirroring the texture from one patch
// to the next.
Mesh MakeTorus(double ringRadius, double tubeRadius, int ringSegments, int tubeSegments);
