#include "crate.h"

#include <cmath>

#include "assetgen/shading.h"

namespace {

// Layout in units of a 256-texel side.
constexpr double kFrame = 26.0;
constexpr int kPlanks = 4;

bool Inside(double x, double y, double x0, double y0, double x1, double y1) {
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}

Color Wood(Color base, double along, double across, std::uint32_t seed) {
    const double grain = Fractal(along * 0.015, across * 0.35, 4, seed);
    // Growth rings: a smoothed triangle wave across the board, bent by the grain.
    const double ring = across * 0.15 + grain * 1.4;
    const double streak = Smoothstep(0.0, 1.0, std::fabs(2.0 * (ring - std::floor(ring)) - 1.0));
    return base * (0.78 + 0.22 * grain + 0.10 * streak);
}

// Dark gap of about 1.5 units at the edges of a board that spans [lo, hi).
double Gap(double v, double lo, double hi) {
    const double edge = std::fmin(v - lo, hi - v);
    return 1.0 - Smoothstep(0.5, 2.0, edge);
}

Color CrateAt(double x, double y) {
    const double size = 256.0;
    const Color dark{0.42, 0.26, 0.13};
    const Color light{0.70, 0.50, 0.28};
    Color c;
    const bool inFrameX = x < kFrame || x >= size - kFrame;
    const bool inFrameY = y < kFrame || y >= size - kFrame;
    if (inFrameY) {  // top and bottom boards run the full width
        const double lo = y < kFrame ? 0.0 : size - kFrame;
        c = Mix(Wood(dark, x, y, 101), Color{0.12, 0.07, 0.03}, Gap(y, lo, lo + kFrame));
    } else if (inFrameX) {
        const double lo = x < kFrame ? 0.0 : size - kFrame;
        c = Mix(Wood(dark, y, x, 103), Color{0.12, 0.07, 0.03},
                std::fmax(Gap(x, lo, lo + kFrame), Gap(y, kFrame, size - kFrame)));
    } else {
        const double plank = (size - 2.0 * kFrame) / kPlanks;
        const double k = std::floor((y - kFrame) / plank);
        const double lo = kFrame + k * plank;
        c = Mix(Wood(light, x + k * 61.0, y, 107), Color{0.20, 0.12, 0.05}, Gap(y, lo, lo + plank));
    }
    // Nails at the corners of the frame boards.
    for (const double nx : {13.0, size - 13.0}) {
        for (const double ny : {13.0, size - 13.0}) {
            const double r2 = (x - nx) * (x - nx) + (y - ny) * (y - ny);
            if (r2 < 9.0) {
                c = Color{0.25, 0.25, 0.27};
            }
        }
    }
    // Corner triangles, each in its own colour.
    const double corner = 46.0;
    if (x + y < corner) {
        c = Color{0.85, 0.12, 0.10};  // (0, 0)
    } else if ((size - x) + y < corner) {
        c = Color{0.12, 0.65, 0.18};  // (1, 0)
    } else if ((size - x) + (size - y) < corner) {
        c = Color{0.15, 0.30, 0.85};  // (1, 1)
    } else if (x + (size - y) < corner) {
        c = Color{0.95, 0.80, 0.10};  // (0, 1)
    }
    // A stencilled F: stem, top bar and a shorter middle bar.
    if (Inside(x, y, 84, 52, 114, 206) || Inside(x, y, 84, 176, 178, 206) || Inside(x, y, 84, 116, 156, 144)) {
        c = Mix(c, Color{0.10, 0.07, 0.05}, 0.92);
    }
    return c;
}

}  // namespace

Image RenderCrate(int size) {
    return Render(size, size, [](double s, double t) { return CrateAt(s * 256.0, t * 256.0); });
}
