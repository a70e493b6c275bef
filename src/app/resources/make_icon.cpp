// Draws the application icon, a faceted hexagon on a rounded dark-blue tile,
// as PNG files of 16, 32 and 48 pixels into the folder given as argument.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "offscreen/png_file.h"

namespace {

struct Point {
    double x, y;
};
struct Color {
    double r, g, b;
};

// Which side of the edge a to b the point p lies on.
double Edge(Point a, Point b, Point p) { return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x); }

bool InTriangle(Point a, Point b, Point c, Point p) {
    const double e0 = Edge(a, b, p), e1 = Edge(b, c, p), e2 = Edge(c, a, p);
    return (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
}

// Inside the rounded tile of the unit square.
bool InTile(Point p) {
    constexpr double radius = 0.18;
    const double dx = std::max({radius - p.x, p.x - (1 - radius), 0.0});
    const double dy = std::max({radius - p.y, p.y - (1 - radius), 0.0});
    return dx * dx + dy * dy <= radius * radius;
}

// The colour at p in unit coordinates, alpha 0 outside the tile.
std::array<double, 4> Sample(Point p) {
    if (!InTile(p)) return {0, 0, 0, 0};
    // Six facets around the centre, lit from the upper left.
    static constexpr std::array<Color, 6> shades = {{
        {0.98, 0.80, 0.38},
        {0.93, 0.62, 0.22},
        {0.78, 0.45, 0.16},
        {0.62, 0.33, 0.12},
        {0.80, 0.50, 0.20},
        {1.00, 0.90, 0.58},
    }};
    const Point centre{0.5, 0.52};
    constexpr double radius = 0.36;
    for (int i = 0; i < 6; ++i) {
        const double a0 = std::numbers::pi / 3 * i - std::numbers::pi / 2;
        const double a1 = a0 + std::numbers::pi / 3;
        const Point v0{centre.x + radius * std::cos(a0), centre.y + radius * std::sin(a0)};
        const Point v1{centre.x + radius * std::cos(a1), centre.y + radius * std::sin(a1)};
        if (InTriangle(centre, v0, v1, p)) return {shades[i].r, shades[i].g, shades[i].b, 1};
    }
    return {0.2, 0.2, 0.4, 1};
}

RgbaImage DrawIcon(int size) {
    constexpr int kSub = 8;  // samples per pixel and axis, for smooth edges
    RgbaImage image{size, size, std::vector<std::uint8_t>(static_cast<std::size_t>(size) * size * 4)};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            std::array<double, 4> sum{};
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const auto s = Sample({(x + (sx + 0.5) / kSub) / size, (y + (sy + 0.5) / kSub) / size});
                    // Premultiplied, so that the transparent outside doesn't darken the edge.
                    for (int c = 0; c < 3; ++c) sum[c] += s[c] * s[3];
                    sum[3] += s[3];
                }
            }
            std::uint8_t* out = &image.pixels[(static_cast<std::size_t>(y) * size + x) * 4];
            const double alpha = sum[3] / (kSub * kSub);
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<std::uint8_t>(std::lround(sum[3] > 0 ? 255.0 * sum[c] / sum[3] : 0.0));
            out[3] = static_cast<std::uint8_t>(std::lround(255.0 * alpha));
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    for (const int size : {16, 32, 48}) {
        const std::string path = std::string(argv[1]) + "/tessaview-" + std::to_string(size) + ".png";
        std::string error;
        if (!WritePng(path, DrawIcon(size), error)) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
            return 1;
        }
    }
    return 0;
}
