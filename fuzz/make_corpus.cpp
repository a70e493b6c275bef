// Writes the generated part of the seed corpora: small valid files of every
// variant the readers accept, so that the fuzzers start from deep inside
// each format. The output is committed under fuzz/corpus/<target>/; rerun
// with `fuzz/run --corpus` after changing this file.
#include <unistd.h>

#include <array>
#include <cstdio>
#include <optional>
#include <filesystem>
#include <fstream>
#include <string>

#include "formats/bin/bin_format.h"
#include "mesh/mesh.h"
#include "textures/bmp_reader.h"
#include "textures/dds_image.h"
#include "textures/encode/image_encoders.h"
#include "textures/encode/jpeg_encoder.h"
#include "textures/encode/png_encoder.h"
#include "textures/encode/sample_images.h"
#include "textures/jpeg_reader.h"
#include "textures/png_reader.h"
#include "textures/tga_reader.h"

namespace fs = std::filesystem;

namespace {

// Seeds must be accepted: a refused seed only exercises the first checks.
bool Accepted(const fs::path& dir, const Bytes& bytes) {
    const std::string target = dir.filename().string();
    if (target == "fuzz_bmp") return static_cast<bool>(ParseBMP(bytes));
    if (target == "fuzz_tga") return static_cast<bool>(ParseTGA(bytes));
    if (target == "fuzz_dds") return static_cast<bool>(ParseDDS(bytes));
    if (target == "fuzz_png") return static_cast<bool>(ParsePNG(bytes));
    if (target == "fuzz_jpeg") return static_cast<bool>(ParseJPEG(bytes));
    Mesh mesh;
    return ParseBIN(bytes, mesh).ok;
}

void Write(const fs::path& dir, const std::string& name, const Bytes& bytes) {
    if (!Accepted(dir, bytes)) throw std::runtime_error("the reader refuses the seed " + name);
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + (dir / name).string());
}

void WriteBMPs(const fs::path& dir) {
    Write(dir, "bottom_up_5x3.bmp", EncodeBMP(MakePicture(5, 3, 3)));
    Write(dir, "top_down_4x4.bmp", EncodeBMP(MakePicture(4, 4, 3, 1), true));
    Write(dir, "colour_table_gap_3x2.bmp", EncodeBMP(MakePicture(3, 2, 3, 2), false, 16));
    Write(dir, "one_pixel.bmp", EncodeBMP(MakePicture(1, 1, 3, 3)));
}

void WriteTGAs(const fs::path& dir) {
    for (const int channels : {1, 3, 4}) {
        const std::string bits = std::to_string(channels * 8);
        const Picture picture = MakePicture(5, 3, channels, channels);
        const Picture stripes = MakeStripes(6, 4, channels);
        Write(dir, "raw_" + bits + "_bottom_left.tga", EncodeTGA(picture));
        Write(dir, "raw_" + bits + "_top_left.tga", EncodeTGA(picture, {.topLeft = true}));
        Write(dir, "rle_" + bits + "_bottom_left.tga", EncodeTGA(stripes, {.runLength = true}));
        Write(dir, "rle_" + bits + "_top_left.tga", EncodeTGA(stripes, {.runLength = true, .topLeft = true}));
        if (channels == 1) continue;
        Write(dir, "mapped_" + bits + ".tga", EncodeTGA(stripes, {.colourMapped = true}));
        Write(dir, "mapped_rle_" + bits + "_id.tga",
              EncodeTGA(stripes, {.runLength = true, .topLeft = true, .colourMapped = true, .id = "seed"}));
    }
    // Right-to-left pixel order: the descriptor bit the encoder never sets.
    Bytes mirrored = EncodeTGA(MakePicture(3, 2, 3, 7));
    mirrored[17] |= 0x10;
    Write(dir, "raw_24_right_to_left.tga", mirrored);
}

Bytes Blocks(std::size_t width, std::size_t height, std::size_t blockBytes, std::uint32_t seed, int levels) {
    Bytes all;
    for (int level = 0; level < levels; ++level) {
        const Bytes blocks = RandomBlocks(((width + 3) / 4) * ((height + 3) / 4), blockBytes,
                                          seed + static_cast<std::uint32_t>(level), true);
        all.insert(all.end(), blocks.begin(), blocks.end());
        width = std::max<std::size_t>(width / 2, 1);
        height = std::max<std::size_t>(height / 2, 1);
    }
    return all;
}

Bytes Pixels(std::size_t width, std::size_t height, int channels, int levels) {
    Bytes all;
    for (int level = 0; level < levels; ++level) {
        const Picture picture = MakePicture(static_cast<int>(width), static_cast<int>(height), channels, level);
        all.insert(all.end(), picture.pixels.begin(), picture.pixels.end());
        width = std::max<std::size_t>(width / 2, 1);
        height = std::max<std::size_t>(height / 2, 1);
    }
    return all;
}

// A small PNG picture of the given kind, every sample different from its
// neighbours; a palette of all the depth's entries, and transparency where asked.
PNGPicture PNGSample(PNGColour colour, int depth, bool transparency, int width = 7, int height = 5) {
    PNGPicture png{width, height, colour, depth, {}, {}, {}, std::nullopt};
    const std::uint32_t levels = 1u << depth;
    for (int i = 0; i < width * height * png.SamplesPerPixel(); ++i)
        png.samples.push_back(static_cast<std::uint16_t>((static_cast<std::uint32_t>(i) * 2654435761u >> 7) % levels));
    if (colour == PNGColour::Palette) {
        for (std::uint32_t i = 0; i < levels; ++i)
            png.palette.push_back({static_cast<std::uint8_t>(i * 40), static_cast<std::uint8_t>(255 - i), 90});
        if (transparency) png.paletteAlpha = {0, 128};
    } else if (transparency) {
        png.transparent = std::array<std::uint16_t, 3>{png.samples[0], png.samples[0], png.samples[0]};
    }
    return png;
}

void WritePNGs(const fs::path& dir) {
    const struct {
        const char* name;
        PNGColour colour;
        int depth;
        bool transparency;
    } kinds[] = {{"grey_1", PNGColour::Grey, 1, false},        {"grey_4_trns", PNGColour::Grey, 4, true},
                 {"grey_16", PNGColour::Grey, 16, false},      {"grey_alpha_8", PNGColour::GreyAlpha, 8, false},
                 {"rgb_8_trns", PNGColour::RGB, 8, true},      {"rgb_16", PNGColour::RGB, 16, false},
                 {"rgba_8", PNGColour::RGBA, 8, false},        {"rgba_16", PNGColour::RGBA, 16, false},
                 {"palette_2_trns", PNGColour::Palette, 2, true}, {"palette_8", PNGColour::Palette, 8, false}};
    for (const auto& kind : kinds) {
        const PNGPicture png = PNGSample(kind.colour, kind.depth, kind.transparency);
        Write(dir, std::string(kind.name) + ".png", EncodePNG(png));
        Write(dir, std::string(kind.name) + "_interlaced.png", EncodePNG(png, true));
    }
    Write(dir, "one_pixel.png", EncodePNG(PNGSample(PNGColour::RGB, 8, false, 1, 1)));
}

void WriteJPEGs(const fs::path& dir) {
    const Picture colour = MakePicture(19, 11, 3);
    const Picture grey = MakePicture(19, 11, 1);
    Write(dir, "colour_baseline.jpg", EncodeJPEG(colour, {.quality = 75}));
    Write(dir, "colour_420.jpg", EncodeJPEG(colour, {.quality = 75, .fullChroma = false}));
    Write(dir, "colour_progressive.jpg", EncodeJPEG(colour, {.quality = 75, .progressive = true}));
    Write(dir, "colour_arithmetic.jpg", EncodeJPEG(colour, {.quality = 75, .arithmetic = true}));
    Write(dir, "grey_baseline.jpg", EncodeJPEG(grey, {.quality = 75}));
    Write(dir, "grey_progressive.jpg", EncodeJPEG(grey, {.quality = 75, .progressive = true}));
    Write(dir, "one_pixel.jpg", EncodeJPEG(MakePicture(1, 1, 3)));
}

void WriteDDSs(const fs::path& dir) {
    constexpr std::uint32_t kCubeMap = 0xFE00;
    Write(dir, "dxt1_8x8_mips.dds", EncodeDDS({.width = 8, .height = 8, .mipCount = 4}, Blocks(8, 8, 8, 1, 4)));
    Write(dir, "dxt3_8x8_mips.dds",
          EncodeDDS({.width = 8, .height = 8, .mipCount = 4, .fourCC = "DXT3"}, Blocks(8, 8, 16, 2, 4)));
    Write(dir, "dxt5_8x8_mips.dds",
          EncodeDDS({.width = 8, .height = 8, .mipCount = 4, .fourCC = "DXT5"}, Blocks(8, 8, 16, 3, 4)));
    Write(dir, "dxt1_12x4_mips.dds", EncodeDDS({.width = 12, .height = 4, .mipCount = 4}, Blocks(12, 4, 8, 4, 4)));
    Write(dir, "dxt5_6x6_no_mips.dds", EncodeDDS({.width = 6, .height = 6, .fourCC = "DXT5"}, Blocks(6, 6, 16, 5, 1)));
    Write(dir, "rgb24_4x3_mips.dds",
          EncodeDDS({.width = 4, .height = 3, .mipCount = 3, .formatFlags = 0x40, .fourCC = "", .bitCount = 24},
                    Pixels(4, 3, 3, 3)));
    Write(dir, "rgba32_4x4_mips.dds",
          EncodeDDS({.width = 4, .height = 4, .mipCount = 3, .formatFlags = 0x41, .fourCC = "", .bitCount = 32},
                    Pixels(4, 4, 4, 3)));
    Write(dir, "rgbx32_3x2.dds",
          EncodeDDS({.width = 3, .height = 2, .formatFlags = 0x40, .fourCC = "", .bitCount = 32}, Pixels(3, 2, 4, 1)));
    Bytes faces;
    for (std::uint32_t face = 0; face < 6; ++face) {
        const Bytes one = Blocks(8, 8, 8, 10 + face, 4);
        faces.insert(faces.end(), one.begin(), one.end());
    }
    Write(dir, "cube_dxt1_8x8_mips.dds", EncodeDDS({.width = 8, .height = 8, .mipCount = 4, .caps2 = kCubeMap}, faces));
    Write(dir, "cube_rgb24_2x2.dds",
          EncodeDDS({.width = 2, .height = 2, .formatFlags = 0x40, .fourCC = "", .bitCount = 24, .caps2 = kCubeMap},
                    Pixels(2, 12, 3, 1)));  // six 2 x 2 faces

    // The DX10 header: block formats of each kind (BC4 8-byte blocks, BC5
    // and BC7 16-byte ones, BC6H read top row first), a cube map by the
    // misc flag, and pixel formats of 8, 16 and 32 bits.
    const auto dx10 = [](std::uint32_t dxgi, std::uint32_t w, std::uint32_t h, std::uint32_t mips) {
        return DDSOptions{.width = w, .height = h, .mipCount = mips, .fourCC = "DX10", .dxgiFormat = dxgi};
    };
    Write(dir, "dx10_bc4_8x8_mips.dds", EncodeDDS(dx10(80, 8, 8, 4), Blocks(8, 8, 8, 20, 4)));
    Write(dir, "dx10_bc5s_12x4_mips.dds", EncodeDDS(dx10(84, 12, 4, 4), Blocks(12, 4, 16, 21, 4)));
    Write(dir, "dx10_bc6h_8x8.dds", EncodeDDS(dx10(95, 8, 8, 1), Blocks(8, 8, 16, 22, 1)));
    Write(dir, "dx10_bc7_srgb_6x6_mips.dds", EncodeDDS(dx10(99, 6, 6, 3), Blocks(6, 6, 16, 23, 3)));
    DDSOptions cube = dx10(98, 8, 8, 4);
    cube.miscFlag = 0x4;
    Bytes bc7Faces;
    for (std::uint32_t face = 0; face < 6; ++face) {
        const Bytes one = Blocks(8, 8, 16, 30 + face, 4);
        bc7Faces.insert(bc7Faces.end(), one.begin(), one.end());
    }
    Write(dir, "dx10_cube_bc7_8x8_mips.dds", EncodeDDS(cube, bc7Faces));
    Write(dir, "dx10_bgra8_srgb_4x3_mips.dds", EncodeDDS(dx10(91, 4, 3, 3), Pixels(4, 3, 4, 3)));
    Write(dir, "dx10_b5g6r5_4x4.dds", EncodeDDS(dx10(85, 4, 4, 1), Pixels(4, 4, 2, 1)));
    Write(dir, "dx10_r8_5x3_mips.dds", EncodeDDS(dx10(61, 5, 3, 3), Pixels(5, 3, 1, 3)));
    // Legacy headers of the newer formats: an RGTC code and luminance masks.
    Write(dir, "ati2_8x8.dds", EncodeDDS({.width = 8, .height = 8, .fourCC = "ATI2"}, Blocks(8, 8, 16, 24, 1)));
    Write(dir, "l8a8_4x4.dds",
          EncodeDDS({.width = 4, .height = 4, .formatFlags = 0x20001, .fourCC = "", .bitCount = 16,
                     .masks = {0x00FF, 0, 0, 0xFF00}},
                    Pixels(4, 4, 2, 1)));
}

Bytes BinBytes(const Mesh& mesh, const fs::path& scratch) {
    if (const WriteResult written = WriteBIN(mesh, scratch.string()); !written)
        throw std::runtime_error(written.reason);
    std::ifstream in(scratch, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Mesh MakeMesh(std::uint32_t verts, std::int32_t faces, std::uint32_t textures) {
    Mesh mesh;
    mesh.numVerts = verts;
    mesh.numFaces = faces;
    mesh.numTextures = textures;
    mesh.AllocVerts();
    mesh.AllocNormals();
    mesh.AllocUVs();
    mesh.AllocFaces();
    for (std::size_t i = 0; i < mesh.verts.size(); ++i) mesh.verts[i] = static_cast<float>(i % 7) - 3.0f;
    for (std::size_t i = 0; i < mesh.normals.size(); ++i) mesh.normals[i] = i % 3 == 2 ? 1.0f : 0.0f;
    for (std::size_t i = 0; i < mesh.uvs.size(); ++i) mesh.uvs[i] = static_cast<float>(i % 2);
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) mesh.faces[i] = static_cast<std::uint32_t>(i % verts);
    return mesh;
}

void WriteBINs(const fs::path& dir) {
    fs::create_directories(dir);
    const fs::path scratch = fs::temp_directory_path() / ("tessa_corpus_" + std::to_string(getpid()) + ".bin");
    Write(dir, "triangle.bin", BinBytes(MakeMesh(3, 1, 0), scratch));
    Write(dir, "textured_quad.bin", BinBytes(MakeMesh(4, 2, 1), scratch));
    Write(dir, "empty.bin", BinBytes(MakeMesh(0, 0, 0), scratch));
    Bytes trailing = BinBytes(MakeMesh(5, 3, 0), scratch);
    trailing.insert(trailing.end(), {1, 2, 3, 4});
    Write(dir, "trailing_bytes.bin", trailing);
    fs::remove(scratch);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const fs::path corpus = argv[1];
    try {
        WriteBMPs(corpus / "fuzz_bmp");
        WriteTGAs(corpus / "fuzz_tga");
        WriteDDSs(corpus / "fuzz_dds");
        WritePNGs(corpus / "fuzz_png");
        WriteJPEGs(corpus / "fuzz_jpeg");
        WriteBINs(corpus / "fuzz_bin");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_corpus: %s\n", e.what());
        return 1;
    }
    return 0;
}
