#include "cube_map.h"

#include "assetgen/environment.h"

Vec3d CubeFaceDirection(int face, double s, double t) {
    // The GL picks the face by the major axis and reads s and t from the
    // other two components (sc / |ma| and tc / |ma| mapped to [0, 1]); this
    // is that table solved for the direction.
    const double sc = 2.0 * s - 1.0;
    const double tc = 2.0 * t - 1.0;
    switch (face) {
    case 0: return {1.0, -tc, -sc};
    case 1: return {-1.0, -tc, sc};
    case 2: return {sc, 1.0, tc};
    case 3: return {sc, -1.0, -tc};
    case 4: return {sc, -tc, 1.0};
    default: return {-sc, -tc, -1.0};
    }
}

Image RenderCubeFace(int face, int size) {
    return Render(size, size, [face](double s, double t) { return TerrainWorld(CubeFaceDirection(face, s, t)); });
}
