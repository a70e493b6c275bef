// The few vector operators the generators need on top of math/vector_math.h.
#pragma once

#include "math/vector_math.h"

inline Vec3d operator+(Vec3d a, Vec3d b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3d operator*(Vec3d a, double k) { return {a.x * k, a.y * k, a.z * k}; }
// A unit vector along v, which must not be zero.
inline Vec3d Unit(Vec3d v) { return Normalize(v); }
