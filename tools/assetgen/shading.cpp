#include "shading.h"

#include <cmath>

namespace {

std::uint32_t Hash(std::int64_t x, std::int64_t y, std::uint32_t seed) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 0x8da6b343u ^ static_cast<std::uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

double Lattice(std::int64_t x, std::int64_t y, std::uint32_t seed) {
    return static_cast<double>(Hash(x, y, seed) >> 8) / 16777215.0;
}

double Fade(double t) { return t * t * (3.0 - 2.0 * t); }

constexpr int kSamples = 4;  // per side of a pixel

}  // namespace

double Clamp01(double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }

double Smoothstep(double e0, double e1, double x) { return Fade(Clamp01((x - e0) / (e1 - e0))); }

double PowInt(double x, int n) {
    double r = 1.0;
    for (; n > 0; n >>= 1, x *= x) {
        if (n & 1) {
            r *= x;
        }
    }
    return r;
}

double ValueNoise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx);
    const auto iy = static_cast<std::int64_t>(fy);
    const double tx = Fade(x - fx);
    const double ty = Fade(y - fy);
    const double a = Lattice(ix, iy, seed) * (1.0 - tx) + Lattice(ix + 1, iy, seed) * tx;
    const double b = Lattice(ix, iy + 1, seed) * (1.0 - tx) + Lattice(ix + 1, iy + 1, seed) * tx;
    return a * (1.0 - ty) + b * ty;
}

double Fractal(double x, double y, int octaves, std::uint32_t seed) {
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += ValueNoise(x, y, seed + static_cast<std::uint32_t>(i)) * weight;
        total += weight;
        weight *= 0.5;
        x = x * 2.0 + 17.0;
        y = y * 2.0 + 31.0;
    }
    return sum / total;
}

Rgb ToRgb(Color c) {
    const auto channel = [](double v) { return static_cast<std::uint8_t>(Clamp01(v) * 255.0 + 0.5); };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

Image Render(int width, int height, const std::function<Color(double s, double t)>& colourAt) {
    Image image(width, height);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            Color sum;
            for (int j = 0; j < kSamples; ++j) {
                for (int i = 0; i < kSamples; ++i) {
                    const double s = (x + (i + 0.5) / kSamples) / width;
                    const double t = (row + (j + 0.5) / kSamples) / height;
                    sum = sum + colourAt(s, t);
                }
            }
            image.At(x, row) = ToRgb(sum * (1.0 / (kSamples * kSamples)));
        }
    }
    return image;
}
