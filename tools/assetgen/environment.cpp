#include "environment.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/circle.h"

namespace {

double Max0(double x) { return x > 0.0 ? x : 0.0; }

// Horizontal unit direction at an azimuth given in tenths of a degree,
// counted from +x towards +z.
Vec3d Azimuth(int tenths) {
    const CosSin cs = UnitCircle(tenths, 3600);
    return {cs.c, 0.0, cs.s};
}

// 1 - cos of an angle in tenths of a degree: the angular radius of a
// feature measured on the dot product with its centre.
double Spread(int tenths) { return 1.0 - UnitCircle(tenths, 3600).c; }

Color SunGlow(const Vec3d& d, const Vec3d& sun, Color sky) {
    const double g = Max0(Dot(d, sun));
    sky = sky + Color{1.0, 0.80, 0.50} * (0.30 * PowInt(g, 12) + 0.55 * PowInt(g, 300));
    const double disk = Smoothstep(0.99890, 0.99930, g);  // about 2.5 degrees across
    return Mix(sky, Color{1.0, 0.98, 0.90}, disk);
}

// --- The grid world ----------------------------------------------------------

const Color kGridHaze{0.60, 0.63, 0.68};

Color GridSky(const Vec3d& d) {
    static const Vec3d sun = Unit({0.55, 0.50, 0.67});
    const Color horizon{0.86, 0.90, 0.96};
    const Color zenith{0.14, 0.33, 0.74};
    return SunGlow(d, sun, Mix(horizon, zenith, std::sqrt(d.y)));
}

// Coverage, 0 to 1, of a line of half width w at the integer nearest to x.
double GridLine(double x, double w) {
    const double off = std::fabs(x - std::floor(x + 0.5));
    return 1.0 - Smoothstep(w * 0.7, w, off);
}

Color GridGround(const Vec3d& d) {
    const double depth = -d.y;
    const double px = d.x / depth;  // the plane lies one unit below the eye
    const double pz = d.z / depth;
    const bool odd = (static_cast<long long>(std::floor(px)) + static_cast<long long>(std::floor(pz))) & 1;
    Color ground = odd ? Color{0.20, 0.22, 0.25} : Color{0.25, 0.27, 0.30};
    const double line = std::max(GridLine(px, 0.035), GridLine(pz, 0.035));
    ground = Mix(ground, Color{0.88, 0.88, 0.82}, line);
    const double xAxis = 1.0 - Smoothstep(0.05, 0.08, std::fabs(pz));
    const double zAxis = 1.0 - Smoothstep(0.05, 0.08, std::fabs(px));
    ground = Mix(ground, Color{0.85, 0.15, 0.12}, xAxis);
    ground = Mix(ground, Color{0.15, 0.30, 0.90}, zAxis);
    // Far away the grid would alias: it fades into haze towards the horizon.
    return Mix(kGridHaze, ground, Smoothstep(0.02, 0.30, depth));
}

// --- The terrain world -------------------------------------------------------

const Color kHaze{0.76, 0.81, 0.87};

enum class Land { Snowy, Hills, Volcano };

struct Peak {
    int azimuth;    // tenths of a degree
    int radius;     // tenths of a degree
    double height;  // tangent of the elevation of the summit
    Land land;
};

constexpr std::array kPeaks{
    Peak{1500, 130, 0.20, Land::Snowy},   Peak{1630, 120, 0.30, Land::Snowy}, Peak{1720, 110, 0.42, Land::Snowy},
    Peak{1830, 120, 0.35, Land::Snowy},   Peak{1950, 140, 0.48, Land::Snowy}, Peak{2070, 120, 0.33, Land::Snowy},
    Peak{2200, 130, 0.24, Land::Snowy},   Peak{2320, 110, 0.14, Land::Snowy}, Peak{650, 180, 0.07, Land::Hills},
    Peak{880, 200, 0.10, Land::Hills},    Peak{1080, 170, 0.08, Land::Hills}, Peak{1250, 160, 0.05, Land::Hills},
    Peak{2700, 260, 0.30, Land::Volcano},
};
constexpr double kCraterTop = 0.25;
constexpr int kTowerAzimuth = 950;
constexpr double kField = 1.3;  // side of a field, in eye heights
// Where the field lines cross, off the road crossing below the eye.
constexpr double kFieldOffsetX = 0.45, kFieldOffsetZ = 0.8;

struct Terrain {
    double height = 0;    // tangent of the elevation of the skyline
    double summit = 1;    // height of the peak that forms it
    bool sunSide = true;  // the slope faces the sun (towards +x)
    Land land = Land::Hills;
};

Terrain Skyline(const Vec3d& h) {
    static const auto centres = [] {
        std::array<Vec3d, kPeaks.size()> c{};
        for (std::size_t i = 0; i < kPeaks.size(); ++i) {
            c[i] = Azimuth(kPeaks[i].azimuth);
        }
        return c;
    }();
    Terrain best;
    for (std::size_t i = 0; i < kPeaks.size(); ++i) {
        const Peak& p = kPeaks[i];
        const double q = (1.0 - Dot(h, centres[i])) / Spread(p.radius);
        if (q >= 1.0) {
            continue;
        }
        double height = 0;
        if (p.land == Land::Hills) {
            height = p.height * (1.0 - q) * (1.0 - q);
        } else {
            height = p.height * (1.0 - std::sqrt(q));
            if (p.land == Land::Volcano && height > kCraterTop) {
                height = kCraterTop;
            }
        }
        if (height > best.height) {
            // Which side of the peak: the sign of the vertical cross product.
            const double side = centres[i].z * h.x - centres[i].x * h.z;
            best = {height, p.height, side > 0.0, p.land};
        }
    }
    // Rough ridges on the rocky kinds.
    if (best.land != Land::Hills && best.height > 0) {
        best.height += (Fractal(h.x * 14.0 + 40.0, h.z * 14.0 + 40.0, 4, 7) - 0.5) * 0.05 * best.summit;
    }
    return best;
}

Color MountainColour(const Terrain& t, const Vec3d& h, double e) {
    const double grain = Fractal(h.x * 60.0 + e * 9.0, h.z * 60.0 + e * 23.0, 3, 11);
    const double light = (t.sunSide ? 1.0 : 0.68) * (0.85 + 0.3 * grain);
    Color c;
    switch (t.land) {
    case Land::Snowy: {
        c = Color{0.42, 0.40, 0.42} * light;
        const double snowLine = t.summit * (0.62 + 0.2 * grain);
        c = Mix(c, Color{0.97, 0.97, 1.0} * (t.sunSide ? 1.0 : 0.80), Smoothstep(snowLine, snowLine + 0.01, e));
        c = Mix(c, kHaze, 0.30);
        break;
    }
    case Land::Volcano:
        c = Color{0.30, 0.18, 0.15} * light;
        c = Mix(c, Color{1.0, 0.35, 0.08}, Smoothstep(kCraterTop - 0.04, kCraterTop, e) * 0.8);
        c = Mix(c, kHaze, 0.20);
        break;
    case Land::Hills:
        c = Mix(Color{0.22, 0.45, 0.16}, Color{0.35, 0.55, 0.22}, grain) * light;
        c = Mix(c, kHaze, 0.15);
        break;
    }
    return c;
}

// The lighthouse: white with red bands, a yellow lamp and a dark roof.
bool Lighthouse(const Vec3d& h, double e, Color& out) {
    static const Vec3d centre = Azimuth(kTowerAzimuth);
    const double q = (1.0 - Dot(h, centre)) / Spread(8);
    const double top = 0.30;
    if (q >= 1.0 || e > top + 0.05) {
        return false;
    }
    const double side = centre.z * h.x - centre.x * h.z;
    const double light = side > 0.0 ? 1.0 : 0.75;
    if (e < top) {
        const bool red = static_cast<int>(std::floor(e / 0.05)) % 2 == 1;
        out = (red ? Color{0.80, 0.10, 0.10} : Color{0.95, 0.95, 0.92}) * light;
        return true;
    }
    if (e < top + 0.025) {
        out = Color{1.0, 0.92, 0.45};
        return true;
    }
    if (q < 0.6) {
        out = Color{0.15, 0.15, 0.18} * light;
        return true;
    }
    return false;
}

const Vec3d& TerrainSun() {
    static const Vec3d sun = [] {
        const CosSin azimuth = UnitCircle(100, 3600);    // 10 degrees from +x towards +z
        const CosSin elevation = UnitCircle(200, 3600);  // 20 degrees up
        return Vec3d{azimuth.c * elevation.c, elevation.s, azimuth.s * elevation.c};
    }();
    return sun;
}

Color TerrainSky(const Vec3d& d) {
    const Color horizon{0.80, 0.86, 0.93};
    const Color zenith{0.10, 0.30, 0.70};
    Color sky = SunGlow(d, TerrainSun(), Mix(horizon, zenith, std::sqrt(d.y)));
    // Clouds on a plane high above: flat, so they thin out and shrink
    // towards the horizon.
    const double k = 1.0 / (d.y + 0.12);
    const double c = Fractal(d.x * k * 1.1 + 3.0, d.z * k * 1.1 + 5.0, 5, 23);
    const double cover = Smoothstep(0.50, 0.70, c) * Smoothstep(0.02, 0.20, d.y);
    return Mix(sky, Color{0.96, 0.96, 0.98} * (0.82 + 0.18 * c), cover * 0.9);
}

Color TerrainGround(const Vec3d& d) {
    const double depth = -d.y;
    const double px = d.x / depth;  // one unit below the eye
    const double pz = d.z / depth;
    Color ground;
    const double shore = 2.2 + 1.2 * Fractal(pz * 0.4 + 9.0, 1.5, 3, 31);
    if (px > shore) {
        // Sea, with the sun glittering in it.
        const Vec3d mirrored{d.x, depth, d.z};
        const double glint = PowInt(Max0(Dot(mirrored, TerrainSun())), 60);
        const double ripple = Fractal(px * 3.0, pz * 3.0, 3, 41);
        ground = Mix(Color{0.08, 0.24, 0.40}, Color{1.0, 0.95, 0.80}, Clamp01(glint * ripple * 1.6));
        ground = Mix(ground, Color{0.85, 0.78, 0.55}, 1.0 - Smoothstep(0.0, 0.15, px - shore));  // beach
    } else {
        // Fields, each its own crop, with hedges between them.
        const double gx = (px + kFieldOffsetX) / kField;
        const double gz = (pz + kFieldOffsetZ) / kField;
        const double fx = std::floor(gx);
        const double fz = std::floor(gz);
        static constexpr std::array<Color, 5> kCrops{Color{0.30, 0.50, 0.18}, Color{0.55, 0.58, 0.22},
                                                     Color{0.45, 0.35, 0.20}, Color{0.24, 0.42, 0.20},
                                                     Color{0.70, 0.62, 0.30}};
        const auto crop = static_cast<std::size_t>(ValueNoise(fx + 0.5, fz + 0.5, 53) * 4.999);
        ground = kCrops[crop] * (0.9 + 0.2 * Fractal(px * 2.0, pz * 2.0, 2, 59));
        const double hedgeX = std::fabs(gx - std::floor(gx + 0.5)) * kField;
        const double hedgeZ = std::fabs(gz - std::floor(gz + 0.5)) * kField;
        ground = Mix(ground, Color{0.10, 0.22, 0.08}, 1.0 - Smoothstep(0.06, 0.10, std::min(hedgeX, hedgeZ)));
        // A dirt track along z and a paved road with a white centre line
        // along x cross below the eye.
        ground = Mix(ground, Color{0.55, 0.42, 0.28}, 1.0 - Smoothstep(0.10, 0.13, std::fabs(px)));
        ground = Mix(ground, Color{0.35, 0.35, 0.37}, 1.0 - Smoothstep(0.16, 0.20, std::fabs(pz)));
        ground = Mix(ground, Color{0.90, 0.90, 0.85}, 1.0 - Smoothstep(0.012, 0.02, std::fabs(pz)));
    }
    return Mix(kHaze, ground, Smoothstep(0.0, 0.15, depth));
}

}  // namespace

Color GridWorld(const Vec3d& direction) {
    const Vec3d d = Unit(direction);
    return d.y >= 0.0 ? GridSky(d) : GridGround(d);
}

Color TerrainWorld(const Vec3d& direction) {
    const Vec3d d = Unit(direction);
    if (d.y < 0.0) {
        return TerrainGround(d);
    }
    const double horizontal = std::sqrt(d.x * d.x + d.z * d.z);
    if (horizontal > 1e-9) {
        const Vec3d h{d.x / horizontal, 0.0, d.z / horizontal};
        const double e = d.y / horizontal;
        Color tower;
        if (Lighthouse(h, e, tower)) {
            return tower;
        }
        const Terrain t = Skyline(h);
        if (e < t.height) {
            return MountainColour(t, h, e);
        }
    }
    return TerrainSky(d);
}
