// Colour arithmetic, hashed value noise and supersampled rendering for the
// generated pictures. Only +, -, *, / and sqrt on doubles, which IEEE
// arithmetic rounds the same way everywhere, so the pictures reproduce
// byte for byte.
#pragma once

#include <cstdint>
#include <functional>

#include "common/image.h"
#include "common/vec_ops.h"

struct Color {
    double r = 0;
    double g = 0;
    double b = 0;
};

inline Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Color operator*(Color a, double k) { return {a.r * k, a.g * k, a.b * k}; }
inline Color Mix(Color a, Color b, double t) { return a * (1.0 - t) + b * t; }

double Clamp01(double x);
// 0 below e0, 1 above e1, a smooth cubic between (e0 may exceed e1).
double Smoothstep(double e0, double e1, double x);
double PowInt(double x, int n);

// Smooth noise in [0, 1] over the plane, from hashed lattice values; the
// seed picks an independent pattern.
double ValueNoise(double x, double y, std::uint32_t seed);
// Sum of octaves of ValueNoise, normalised to [0, 1].
double Fractal(double x, double y, int octaves, std::uint32_t seed);

// 8-bit channel from [0, 1], rounded, clamped.
Rgb ToRgb(Color c);

// A picture of width x height whose pixels average 4x4 samples of
// colourAt(s, t); s runs left to right and t bottom to top over [0, 1].
Image Render(int width, int height, const std::function<Color(double s, double t)>& colourAt);
