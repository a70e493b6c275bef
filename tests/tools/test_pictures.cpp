// The test pictures, read back with the viewer's own readers: orientation,
// agreement between the BMP, TGA and DDS forms, cube faces that meet without
// seams, and the sphere-map and cube-map direction mappings.
#include <gtest/gtest.h>
#include <squish.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "assetgen/cube_map.h"
#include "assetgen/sphere_map.h"
#include "common/circle.h"
#include "common/image_files.h"
#include "textures/bmp_reader.h"
#include "textures/dds_image.h"
#include "textures/tga_reader.h"

namespace {

const std::string kAssets = std::string(TESSA_SOURCE_DIR) + "/Assets/";
constexpr std::array<const char*, 6> kFaces{"posx", "negx", "posy", "negy", "posz", "negz"};

// RGB bytes, bottom row first, unpadded.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* At(int x, int row) const { return &rgb[3 * (static_cast<std::size_t>(row) * width + x)]; }
};

RgbPicture ReadPicture(const std::string& path) {
    const auto [bmp, error] = ReadBMP(path);
    // Everything after depends on the picture: stop the test here (gtest reports the exception).
    if (!error.empty()) throw std::runtime_error(path + ": " + error);
    RgbPicture p{bmp.width, bmp.height, {}};
    const auto rowBytes = static_cast<std::size_t>(BMPRowBytes(static_cast<std::uint64_t>(bmp.width)));
    for (int row = 0; row < bmp.height; ++row) {
        for (int x = 0; x < bmp.width; ++x) {
            const std::uint8_t* bgr = &bmp.pixels[row * rowBytes + 3 * static_cast<std::size_t>(x)];
            p.rgb.insert(p.rgb.end(), {bgr[2], bgr[1], bgr[0]});
        }
    }
    return p;
}

// A DXT1 level as the viewer holds it after loading (flipped: bottom row first), decoded.
RgbPicture Decode(const DDSSurface& level) {
    const int w = level.GetWidth();
    const int h = level.GetHeight();
    std::vector<squish::u8> rgba(static_cast<std::size_t>(w) * h * 4);
    squish::DecompressImage(rgba.data(), w, h, level.GetPixels().data(), squish::kDxt1);
    RgbPicture p{w, h, {}};
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        p.rgb.insert(p.rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    }
    return p;
}

RgbPicture UpsideDown(const RgbPicture& p) {
    RgbPicture q = p;
    const std::size_t row = 3 * static_cast<std::size_t>(p.width);
    for (int r = 0; r < p.height; ++r) {
        std::memcpy(&q.rgb[r * row], &p.rgb[(p.height - 1 - r) * row], row);
    }
    return q;
}

// Box-filtered down by factor in both directions.
RgbPicture Shrunk(const RgbPicture& p, int factor) {
    RgbPicture q{p.width / factor, p.height / factor, {}};
    for (int row = 0; row < q.height; ++row) {
        for (int x = 0; x < q.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy) {
                    for (int dx = 0; dx < factor; ++dx) {
                        sum += p.At(x * factor + dx, row * factor + dy)[c];
                    }
                }
                q.rgb.push_back(static_cast<std::uint8_t>(sum / (factor * factor)));
            }
        }
    }
    return q;
}

double MeanDifference(const RgbPicture& a, const RgbPicture& b) {
    EXPECT_EQ(a.rgb.size(), b.rgb.size());
    double sum = 0;
    for (std::size_t i = 0; i < std::min(a.rgb.size(), b.rgb.size()); ++i) {
        sum += std::abs(a.rgb[i] - b.rgb[i]);
    }
    return sum / static_cast<double>(a.rgb.size());
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The GL's cube-map face selection, written from its table: the face of the
// major axis, and s and t from the other two components.
struct FaceHit {
    int face;
    double s, t;
};
FaceHit GlCubeLookup(const Vec3d& r) {
    const double ax = std::fabs(r.x), ay = std::fabs(r.y), az = std::fabs(r.z);
    double sc, tc, ma;
    int face;
    if (ax >= ay && ax >= az) {
        face = r.x > 0 ? 0 : 1;
        sc = r.x > 0 ? -r.z : r.z;
        tc = -r.y;
        ma = ax;
    } else if (ay >= az) {
        face = r.y > 0 ? 2 : 3;
        sc = r.x;
        tc = r.y > 0 ? r.z : -r.z;
        ma = ay;
    } else {
        face = r.z > 0 ? 4 : 5;
        sc = r.z > 0 ? r.x : -r.x;
        tc = -r.y;
        ma = az;
    }
    return {face, (sc / ma + 1) / 2, (tc / ma + 1) / 2};
}

TEST(TestPictures, BmpHeadersAreThoseOfPlain24BitFiles) {
    std::vector<std::string> names{"spheremap.bmp", "crate.bmp"};
    for (const char* face : kFaces) {
        names.push_back(std::string("Terrain_") + face + ".bmp");
    }
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const auto b = FileBytes(kAssets + name);
        ASSERT_EQ(b.size(), 54u + 256 * 256 * 3);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(U32(b, 2), b.size());
        EXPECT_EQ(U32(b, 10), 54u);
        EXPECT_EQ(U32(b, 14), 40u);
        EXPECT_EQ(U32(b, 18), 256u);
        EXPECT_EQ(U32(b, 22), 256u);            // positive: bottom row first
        EXPECT_EQ(U32(b, 26), 1u | 24u << 16);  // one plane, 24 bits
        EXPECT_EQ(U32(b, 30), 0u);
        EXPECT_EQ(U32(b, 34), 256u * 256 * 3);
    }
}

TEST(TestPictures, DdsHeadersCarryDxt1AndTheFullMipChain) {
    std::vector<std::string> names{"spheremap.dds"};
    for (const char* face : kFaces) {
        names.push_back(std::string("cube_face_") + face + ".dds");
    }
    // 256 down to 1: a 4x4 block each from 4x4 down.
    const std::array<std::int32_t, 8> levelBytes{8192, 2048, 512, 128, 32, 8, 8, 8};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const auto b = FileBytes(kAssets + name);
        ASSERT_EQ(b.size(), 128u + 32768 + 8192 + 2048 + 512 + 128 + 32 + 8 + 8 + 8);
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "DDS ");
        EXPECT_EQ(U32(b, 4), 124u);
        EXPECT_EQ(U32(b, 8) & 0x20000u, 0x20000u);  // the mip-map count is valid
        EXPECT_EQ(U32(b, 20), 32768u);              // linear size of the base level
        EXPECT_EQ(U32(b, 28), 9u);                  // levels, the base included
        EXPECT_EQ(U32(b, 80), 0x4u);
        EXPECT_EQ(std::string(b.begin() + 84, b.begin() + 88), "DXT1");
        EXPECT_EQ(U32(b, 108), 0x401008u);  // texture, mip map, complex
        EXPECT_EQ(U32(b, 112), 0u);         // not a cube map: one image per file

        const auto [dds, error] = ReadDDS(kAssets + name);
        ASSERT_TRUE(error.empty()) << error;
        EXPECT_EQ(dds.GetFormat(), 0x83F1u);
        ASSERT_EQ(dds.GetNumImages(), 1);
        const auto& mips = dds.GetImage(0).GetMipmaps();
        ASSERT_EQ(mips.size(), levelBytes.size());
        for (std::size_t i = 0; i < mips.size(); ++i) {
            EXPECT_EQ(mips[i].GetSize(), levelBytes[i]) << "level " << i + 1;
        }
    }
}

TEST(TestPictures, BmpTgaAndDdsFormsShowTheSamePictureTheSameWayUp) {
    const RgbPicture bmp = ReadPicture(kAssets + "spheremap.bmp");
    const auto [tga, tgaError] = ReadTGA(kAssets + "spheremap.tga");
    ASSERT_TRUE(tgaError.empty()) << tgaError;
    const auto [rawBmp, bmpError] = ReadBMP(kAssets + "spheremap.bmp");
    ASSERT_TRUE(bmpError.empty()) << bmpError;
    EXPECT_EQ(tga.width, 256);
    EXPECT_EQ(tga.bytesPerPixel, 3);
    EXPECT_EQ(tga.pixels, rawBmp.pixels);  // 768-byte rows need no padding

    std::vector<std::pair<std::string, std::string>> pairs{{"spheremap.bmp", "spheremap.dds"}};
    for (const char* face : kFaces) {
        pairs.emplace_back(std::string("Terrain_") + face + ".bmp", std::string("cube_face_") + face + ".dds");
    }
    for (const auto& [bmpName, ddsName] : pairs) {
        SCOPED_TRACE(ddsName);
        const RgbPicture reference = ReadPicture(kAssets + bmpName);
        const auto [dds, error] = ReadDDS(kAssets + ddsName);
        ASSERT_TRUE(error.empty()) << error;
        const RgbPicture base = Decode(dds.GetImage(0).GetSurface());
        // DXT1 is lossy: close, and far closer than the picture upside down.
        EXPECT_LT(MeanDifference(base, reference), 3.0);
        EXPECT_GT(MeanDifference(base, UpsideDown(reference)), 10.0);
        // The stored levels are the picture made smaller (flipped too, but a
        // 4x4 level is one block row the loader leaves as stored, so stop at 8x8).
        const auto& mips = dds.GetImage(0).GetMipmaps();
        for (std::size_t level = 1; level <= 5; ++level) {
            const RgbPicture small = Decode(mips[level - 1]);
            // Small levels have few texels per block and so larger DXT errors.
            EXPECT_LT(MeanDifference(small, Shrunk(reference, 1 << level)), level <= 3 ? 5.0 : 12.0)
                << "level " << level;
        }
    }
}

TEST(TestPictures, SphereMapHasSkyAboveAndCrateCornersSitWhereTheirCoordinatesSay) {
    // Row 0 is texture row t = 0, the bottom.
    const RgbPicture sphere = ReadPicture(kAssets + "spheremap.bmp");
    const std::uint8_t* sky = sphere.At(128, 220);
    const std::uint8_t* ground = sphere.At(100, 40);
    EXPECT_GT(sky[2], sky[0] + 60);
    EXPECT_LT(ground[2], ground[0] + 30);

    const RgbPicture crate = ReadPicture(kAssets + "crate.bmp");
    const auto dominant = [&](int x, int row) {
        const std::uint8_t* p = crate.At(x, row);
        if (p[0] > 150 && p[1] > 150 && p[2] < 100) return 'y';
        if (p[0] > 150 && p[1] < 100) return 'r';
        if (p[1] > 120 && p[0] < 100) return 'g';
        if (p[2] > 150 && p[0] < 100) return 'b';
        return '?';
    };
    EXPECT_EQ(dominant(4, 4), 'r');      // (0, 0)
    EXPECT_EQ(dominant(251, 4), 'g');    // (1, 0)
    EXPECT_EQ(dominant(251, 251), 'b');  // (1, 1)
    EXPECT_EQ(dominant(4, 251), 'y');    // (0, 1)
}

TEST(CubeMap, FaceDirectionsAgreeWithTheGlFaceSelection) {
    for (int face = 0; face < 6; ++face) {
        for (double s = 0.03125; s < 1; s += 0.0625) {
            for (double t = 0.03125; t < 1; t += 0.0625) {
                const FaceHit hit = GlCubeLookup(CubeFaceDirection(face, s, t));
                ASSERT_EQ(hit.face, face) << s << ", " << t;
                EXPECT_NEAR(hit.s, s, 1e-12);
                EXPECT_NEAR(hit.t, t, 1e-12);
            }
        }
    }
}

TEST(CubeMap, CommittedFacesMeetWithoutSeams) {
    std::vector<RgbPicture> faces;
    for (const char* face : kFaces) {
        faces.push_back(ReadPicture(kAssets + "Terrain_" + face + ".bmp"));
    }
    const int n = faces[0].width;
    const auto difference = [](const std::uint8_t* a, const std::uint8_t* b) {
        return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
    };
    // Along each of the 24 face edges: the texel at the edge against the
    // texel the GL finds half a texel beyond it on the neighbouring face,
    // and, for scale, against its neighbour one texel further in.
    for (int face = 0; face < 6; ++face) {
        for (int edge = 0; edge < 4; ++edge) {
            double seam = 0, inside = 0;
            for (int k = 0; k < n; ++k) {
                const double along = (k + 0.5) / n;
                const double in = 0.5 / n, out = -0.5 / n;
                // (s, t) at the edge, just beyond it, and one texel in.
                const std::array<std::array<double, 6>, 4> e{{
                    {in, along, out, along, in + 1.0 / n, along},
                    {1 - in, along, 1 - out, along, 1 - in - 1.0 / n, along},
                    {along, in, along, out, along, in + 1.0 / n},
                    {along, 1 - in, along, 1 - out, along, 1 - in - 1.0 / n},
                }};
                const auto& p = e[static_cast<std::size_t>(edge)];
                const auto texel = [&](int f, double s, double t) {
                    return faces[f].At(std::clamp(static_cast<int>(s * n), 0, n - 1),
                                       std::clamp(static_cast<int>(t * n), 0, n - 1));
                };
                const FaceHit hit = GlCubeLookup(CubeFaceDirection(face, p[2], p[3]));
                ASSERT_NE(hit.face, face);
                seam += difference(texel(face, p[0], p[1]), texel(hit.face, hit.s, hit.t));
                inside += difference(texel(face, p[0], p[1]), texel(face, p[4], p[5]));
            }
            seam /= n;
            inside /= n;
            EXPECT_LT(seam, 1.5 * inside + 3)
                << kFaces[face] << " edge " << edge << ": " << seam << " across, " << inside << " inside";
        }
    }
}

TEST(CubeMap, FacesAreToldApartBySkyGroundAndSun) {
    const auto mean = [](const RgbPicture& p, int c) {
        double sum = 0;
        for (std::size_t i = static_cast<std::size_t>(c); i < p.rgb.size(); i += 3) sum += p.rgb[i];
        return sum / (p.rgb.size() / 3.0);
    };
    const RgbPicture up = ReadPicture(kAssets + "Terrain_posy.bmp");
    const RgbPicture down = ReadPicture(kAssets + "Terrain_negy.bmp");
    EXPECT_GT(mean(up, 2), mean(up, 0) + 50);  // blue sky
    EXPECT_LT(mean(down, 2), mean(down, 1));   // fields
    // The brightest texel of all six, the sun, is on +X.
    int brightestFace = -1, brightest = -1;
    for (int face = 0; face < 6; ++face) {
        const RgbPicture p = ReadPicture(kAssets + "Terrain_" + kFaces[face] + ".bmp");
        for (std::size_t i = 0; i < p.rgb.size(); i += 3) {
            const int sum = p.rgb[i] + p.rgb[i + 1] + p.rgb[i + 2];
            if (sum > brightest) {
                brightest = sum;
                brightestFace = face;
            }
        }
    }
    EXPECT_EQ(brightestFace, 0);
}

TEST(SphereMap, TexelsHoldTheReflectionTheGlMapsThere) {
    for (double s = 0.01; s < 1; s += 0.02) {
        for (double t = 0.01; t < 1; t += 0.02) {
            const double x = 2 * s - 1, y = 2 * t - 1;
            const Vec3d r = SphereMapReflection(s, t);
            EXPECT_NEAR(Length(r), 1.0, 1e-12);
            if (x * x + y * y > 0.99) {
                continue;  // outside the disc: the rim's direction
            }
            // The GL's sphere-map generation.
            const double m = 2 * std::sqrt(r.x * r.x + r.y * r.y + (r.z + 1) * (r.z + 1));
            EXPECT_NEAR(r.x / m + 0.5, s, 1e-9);
            EXPECT_NEAR(r.y / m + 0.5, t, 1e-9);
        }
    }
}

TEST(UnitCircle, MatchesTheLibraryWithinRoundingAndIsExactOnTheAxes) {
    constexpr double kTwoPi = 6.283185307179586;
    for (const int n : {3, 7, 12, 24, 360, 3600, 1002}) {
        for (int k = -n; k <= 2 * n; ++k) {
            const CosSin cs = UnitCircle(k, n);
            const double a = kTwoPi * k / n;
            EXPECT_NEAR(cs.c, std::cos(a), 1e-14) << k << "/" << n;
            EXPECT_NEAR(cs.s, std::sin(a), 1e-14) << k << "/" << n;
        }
    }
    EXPECT_EQ(UnitCircle(1, 4).c, 0.0);
    EXPECT_EQ(UnitCircle(1, 4).s, 1.0);
    EXPECT_EQ(UnitCircle(6, 12).c, -1.0);
    EXPECT_EQ(UnitCircle(-3, 12).s, -1.0);
}

TEST(ImageEncoders, OddWidthsAreReadBackByTheViewersReaders) {
    Image image(5, 3);
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 5; ++x) {
            image.At(x, row) = {static_cast<std::uint8_t>(10 * x), static_cast<std::uint8_t>(100 + row),
                                static_cast<std::uint8_t>(200 + x + row)};
        }
    }
    const auto [bmp, bmpError] = ParseBMP(EncodeBMP(ToPicture(image)));
    ASSERT_TRUE(bmpError.empty()) << bmpError;
    ASSERT_EQ(bmp.pixels.size(), 16u * 3);  // 15 bytes of pixels and 1 of padding per row
    const auto [tga, tgaError] = ParseTGA(EncodeTGA(ToPicture(image)));
    ASSERT_TRUE(tgaError.empty()) << tgaError;
    ASSERT_EQ(tga.pixels.size(), 15u * 3);
    for (int row = 0; row < 3; ++row) {
        for (int x = 0; x < 5; ++x) {
            const Rgb p = image.At(x, row);
            const std::uint8_t* b = &bmp.pixels[16 * row + 3 * x];
            const std::uint8_t* t = &tga.pixels[15 * row + 3 * x];
            EXPECT_EQ(Rgb({b[2], b[1], b[0]}), p);
            EXPECT_EQ(Rgb({t[2], t[1], t[0]}), p);
        }
    }
}

TEST(ImageEncoders, HalvingRoundsTheMeanAndKeepsThinSides) {
    Image square(2, 2);
    square.At(0, 0) = {0, 0, 255};
    square.At(1, 0) = {1, 0, 255};
    square.At(0, 1) = {1, 3, 0};
    square.At(1, 1) = {1, 3, 0};
    EXPECT_EQ(HalfSize(square).At(0, 0), (Rgb{1, 2, 128}));  // 3/4, 6/4 and 510/4 rounded

    Image column(1, 4);
    column.At(0, 0) = {10, 0, 0};
    column.At(0, 1) = {20, 0, 0};
    column.At(0, 2) = {30, 0, 0};
    column.At(0, 3) = {41, 0, 0};
    const Image half = HalfSize(column);
    ASSERT_EQ(half.Width(), 1);
    ASSERT_EQ(half.Height(), 2);
    EXPECT_EQ(half.At(0, 0).r, 15);
    EXPECT_EQ(half.At(0, 1).r, 36);  // 35.5 rounds up
}

}  // namespace
