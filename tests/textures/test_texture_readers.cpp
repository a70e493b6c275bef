// The image readers on bytes in memory and on files: pixel order, headers
// that must be refused, DDS level sizes and the block flips.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "textures/encode/image_encoders.h"
#include "textures/encode/sample_images.h"
#include "support/dxt_decode.h"
#include "support/temp_dir.h"
#include "textures/bmp_reader.h"
#include "textures/dds_blocks.h"
#include "textures/dds_image.h"
#include "textures/image_bytes.h"
#include "textures/image_formats.h"
#include "textures/tga_reader.h"

namespace {

Bytes PaddedBottomUp(const Picture& p) {
    const std::size_t rowBytes = BMPRowBytes(static_cast<std::uint64_t>(p.width));
    Bytes out;
    for (int y = p.height - 1; y >= 0; --y) {
        out.insert(out.end(), p.At(0, y), p.At(0, y) + p.width * 3);
        out.resize(out.size() + rowBytes - p.width * 3u, 0);
    }
    return out;
}

// ---- BMP ----

TEST(ReadBMP, OddWidthRowsArePaddedAndBottomFirst) {
    const Picture p = MakePicture(5, 3, 3);
    const auto [image, error] = ParseBMP(EncodeBMP(p));
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.pixels.size(), 16u * 3);  // 15 bytes of pixels and 1 of padding per row
    EXPECT_EQ(image.pixels, PaddedBottomUp(p));
}

TEST(ReadBMP, TopDownFileComesOutBottomFirstWithPositiveHeight) {
    const Picture p = MakePicture(5, 4, 3, 1);
    const auto [image, error] = ParseBMP(EncodeBMP(p, /*topDown=*/true));
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(image.height, 4);
    EXPECT_EQ(image.pixels, PaddedBottomUp(p));
}

TEST(ReadBMP, ColourTableBeforeThePixelsIsSkipped) {
    const Picture p = MakePicture(4, 2, 3, 2);
    const auto [image, error] = ParseBMP(EncodeBMP(p, false, 1024));
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(image.pixels, PaddedBottomUp(p));
}

TEST(ReadBMP, StatedImageSizeLargerThanTheRowsIsAccepted) {
    const Picture p = MakePicture(3, 3, 3);
    Bytes file = EncodeBMP(p);
    PutU32(file, 34, 4096);
    const auto [image, error] = ParseBMP(file);
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(image.pixels, PaddedBottomUp(p));
}

TEST(ReadBMP, MalformedHeadersAreRefused) {
    const Bytes good = EncodeBMP(MakePicture(5, 3, 3));
    struct Case {
        const char* what;
        Bytes file;
    };
    auto patched = [&](std::size_t offset, std::uint32_t value) {
        Bytes b = good;
        PutU32(b, offset, value);
        return b;
    };
    auto bits = [&](std::uint16_t count) {
        Bytes b = good;
        PutU16(b, 28, count);
        return b;
    };
    Bytes wrongMagic = good;
    wrongMagic[0] = 'X';
    const Case cases[] = {
        {"empty", {}},
        {"short file header", Bytes(good.begin(), good.begin() + 10)},
        {"wrong magic", wrongMagic},
        {"pixel offset below 54", patched(10, 50)},
        {"pixel offset past the end", patched(10, 4000)},
        {"core info header", patched(14, 12)},
        {"8 bits", bits(8)},
        {"32 bits", bits(32)},
        {"zero width", patched(18, 0)},
        {"negative width", patched(18, static_cast<std::uint32_t>(-5))},
        {"zero height", patched(22, 0)},
        {"most negative height", patched(22, 0x80000000u)},
        {"overflowing size",
         [&] {
             Bytes b = patched(18, 0x7FFFFFFF);
             PutU32(b, 22, 0x7FFFFFFF);
             return b;
         }()},
        {"byte count above 2 GiB",
         [&] {
             Bytes b = patched(18, 0x10000);
             PutU32(b, 22, 0x3000);
             return b;
         }()},
        {"image size smaller than the rows", patched(34, 47)},
        {"truncated pixels", Bytes(good.begin(), good.end() - 1)},
    };
    for (const Case& c : cases) {
        const ReadResult<BMPImage> read = ParseBMP(c.file);
        EXPECT_FALSE(read) << c.what;
        EXPECT_FALSE(read.reason.empty()) << c.what;
        EXPECT_TRUE(read.value.pixels.empty()) << c.what;
    }
}

TEST(ReadBMP, ReportsTheSizesOfARefusedFile) {
    Bytes file = EncodeBMP(MakePicture(5, 3, 3));
    PutU16(file, 28, 32);
    const auto [image, error] = ParseBMP(file);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 3);
}

TEST(ReadBMP, FilesAndOverlongPaths) {
    TempDir dir;
    const Picture p = MakePicture(2, 2, 3);
    const auto [image, error] = ReadBMP(dir.Write("a.bmp", EncodeBMP(p)));
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(image.pixels, PaddedBottomUp(p));
    EXPECT_FALSE(ReadBMP((dir.Path() / "missing.bmp").string()));
    // Longer than the system takes: refused as missing, never shortened.
    const std::string overlong = dir.Path().string() + "/" + std::string(PATH_MAX, 'a') + "/a.bmp";
    EXPECT_FALSE(ReadBMP(overlong));
    EXPECT_FALSE(ReadFileBytes(overlong));
}

// ---- TGA ----

struct TGACase {
    const char* what;
    Picture picture;
    TGAOptions options;
};

TEST(ReadTGA, EveryLayoutComesOutBottomRowFirst) {
    const TGACase cases[] = {
        {"grey raw", MakePicture(5, 3, 1), {}},
        {"BGR raw odd width", MakePicture(5, 3, 3), {}},
        {"BGRA raw", MakePicture(3, 4, 4), {}},
        {"BGR top-left", MakePicture(5, 4, 3), {.topLeft = true}},
        {"grey top-left", MakePicture(7, 3, 1), {.topLeft = true}},
        {"BGR with image ID", MakePicture(3, 2, 3), {.id = "made by a test"}},
        {"BGR run-length", MakeStripes(13, 5, 3), {.runLength = true}},
        {"BGRA run-length top-left", MakeStripes(7, 6, 4), {.runLength = true, .topLeft = true}},
        {"grey run-length", MakeStripes(9, 4, 1), {.runLength = true}},
        {"run-length of a noisy picture", MakePicture(9, 5, 3), {.runLength = true}},
        {"colour-mapped BGR", MakeStripes(6, 3, 3), {.colourMapped = true}},
        {"colour-mapped BGRA run-length top-left",
         MakeStripes(11, 5, 4),
         {.runLength = true, .topLeft = true, .colourMapped = true}},
    };
    for (const TGACase& c : cases) {
        const Bytes file = EncodeTGA(c.picture, c.options);
        const auto [image, error] = ParseTGA(file);
        ASSERT_TRUE(error.empty()) << c.what << ": " << error;
        EXPECT_EQ(image.width, c.picture.width) << c.what;
        EXPECT_EQ(image.height, c.picture.height) << c.what;
        EXPECT_EQ(image.bytesPerPixel, c.picture.channels) << c.what;
        EXPECT_EQ(image.pixels, c.picture.BottomUp()) << c.what;
        const std::uint32_t formats[][2] = {
            {0, 0}, {kGlLuminance, kGlLuminance8}, {0, 0}, {kGlBgr, kGlRgb8}, {kGlBgra, kGlRgba8}};
        EXPECT_EQ(image.format, formats[c.picture.channels][0]) << c.what;
        EXPECT_EQ(image.components, formats[c.picture.channels][1]) << c.what;
    }
    // The encoder really produced packets that compress and cross rows.
    EXPECT_LT(EncodeTGA(MakeStripes(13, 5, 3), {.runLength = true}).size(), 18u + 13 * 5 * 3);
}

TEST(ReadTGA, RightToLeftRowsAreMirrored) {
    const Picture p = MakePicture(5, 2, 3);
    Bytes file = EncodeTGA(p);
    // Store each row mirrored and say so.
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 5; ++x) std::copy_n(p.At(4 - x, 1 - row), 3, file.begin() + 18 + (row * 5 + x) * 3);
    file[17] |= 0x10;
    const auto [image, error] = ParseTGA(file);
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(image.pixels, p.BottomUp());
}

TEST(ReadTGA, MalformedFilesAreRefused) {
    const Bytes raw = EncodeTGA(MakePicture(4, 3, 3));
    const Bytes rle = EncodeTGA(MakeStripes(12, 4, 3), {.runLength = true});
    const Bytes mapped = EncodeTGA(MakeStripes(6, 3, 3), {.colourMapped = true});
    auto with = [](Bytes b, std::size_t offset, std::uint8_t value) {
        b.at(offset) = value;
        return b;
    };
    auto withU16 = [](Bytes b, std::size_t offset, std::uint16_t value) {
        PutU16(b, offset, value);
        return b;
    };
    Bytes overrun = EncodeTGA(MakeStripes(12, 4, 3), {.runLength = true});
    overrun[18] = 0xFF;  // a run of 128 pixels in a 48-pixel image
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"short header", Bytes(raw.begin(), raw.begin() + 17)},
        {"16 bits", with(raw, 16, 16)},
        {"15 bits", with(raw, 16, 15)},
        {"no image data type", with(raw, 2, 0)},
        {"unknown image type", with(raw, 2, 32)},
        {"zero width", withU16(raw, 12, 0)},
        {"zero height", withU16(raw, 14, 0)},
        {"truncated raw pixels", Bytes(raw.begin(), raw.end() - 1)},
        {"ID longer than the file", with(Bytes(raw.begin(), raw.begin() + 30), 0, 200)},
        {"truncated run-length data", Bytes(rle.begin(), rle.end() - 1)},
        {"run-length packet past the image", overrun},
        {"bytes of 65535 x 65535 x 4",
         [&] {
             Bytes b = withU16(with(raw, 16, 32), 12, 65535);
             PutU16(b, 14, 65535);
             return b;
         }()},
        {"huge run-length image in a tiny file",
         [&] {
             Bytes b = withU16(rle, 12, 16384);
             PutU16(b, 14, 16384);
             return b;
         }()},
        {"colour map missing for a mapped image", with(mapped, 1, 0)},
        {"16-bit colour map entries", with(mapped, 7, 16)},
        {"colour index outside the map", withU16(mapped, 5, 2)},
        {"truncated colour map", Bytes(mapped.begin(), mapped.begin() + 20)},
    };
    for (const Case& c : cases) {
        const ReadResult<TGAImage> read = ParseTGA(c.file);
        EXPECT_FALSE(read) << c.what;
        EXPECT_FALSE(read.reason.empty()) << c.what;
        EXPECT_TRUE(read.value.pixels.empty()) << c.what;
    }
}

// A 3x2 top-left image with 16-bit colour indices into a map of three BGR
// entries whose first index is 5, raw or run-length, written by hand.
Bytes Mapped16(bool runLength, const Bytes& indexData) {
    Bytes file(18, 0);
    file[1] = 1;
    file[2] = runLength ? 9 : 1;
    PutU16(file, 3, 5);  // first entry
    PutU16(file, 5, 3);  // entries
    file[7] = 24;
    PutU16(file, 12, 3);
    PutU16(file, 14, 2);
    file[16] = 16;
    file[17] = 0x20;
    file.insert(file.end(), {10, 20, 30, 40, 50, 60, 70, 80, 90});
    file.insert(file.end(), indexData.begin(), indexData.end());
    return file;
}

TEST(ReadTGA, SixteenBitIndicesIntoAColourMapNotStartingAtZero) {
    const Bytes c5 = {10, 20, 30}, c6 = {40, 50, 60}, c7 = {70, 80, 90};
    const auto rows = [](std::initializer_list<Bytes> pixels) {
        Bytes out;
        for (const Bytes& p : pixels) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    struct Case {
        const char* what;
        Bytes file;
        Bytes bottomUp;
    };
    const Case cases[] = {
        {"raw", Mapped16(false, {5, 0, 6, 0, 7, 0, 7, 0, 6, 0, 5, 0}), rows({c7, c6, c5, c5, c6, c7})},
        {"run-length", Mapped16(true, {0x82, 6, 0, 0x02, 7, 0, 5, 0, 6, 0}), rows({c7, c5, c6, c6, c6, c6})},
    };
    for (const Case& c : cases) {
        const auto [image, error] = ParseTGA(c.file);
        ASSERT_TRUE(error.empty()) << c.what << ": " << error;
        EXPECT_EQ(image.pixels, c.bottomUp) << c.what;
    }
    // Indices just outside the map on either side: below the first entry, and first + length.
    for (const std::uint8_t index : {4, 8}) {
        const auto [image, error] = ParseTGA(Mapped16(false, {5, 0, 6, 0, 7, 0, 7, 0, 6, 0, index, 0}));
        EXPECT_FALSE(error.empty()) << +index;
        EXPECT_EQ(error, "TGA colour index outside the map") << +index;
    }
}

// ---- Files ----

TEST(ReadFileBytes, FilesOver2GiBAreRefusedBeforeReading) {
    const TempDir dir;
    const std::string path = dir.File("huge.tga");
    ASSERT_TRUE(WriteFile(path, "x"));
    // Sparse: no disk space is used.
    std::filesystem::resize_file(path, kMaxImageBytes + 1);
    const auto read = ReadFileBytes(path);
    EXPECT_FALSE(read);
    EXPECT_EQ(read.reason, "file too large: " + path);
    EXPECT_TRUE(read.value.empty());
    EXPECT_FALSE(ReadTGA(path));
}

// ---- DDS ----

Bytes Filled(std::size_t size, std::uint8_t value) { return Bytes(size, value); }

TEST(DDSImage, MipSizesOfA256DXT1ChainStopAtOneByOne) {
    Bytes data;
    const std::size_t sizes[] = {32768, 8192, 2048, 512, 128, 32, 8, 8, 8};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const Bytes level = Filled(sizes[i], static_cast<std::uint8_t>(i + 1));
        data.insert(data.end(), level.begin(), level.end());
    }
    const auto [image, error] = ParseDDS(EncodeDDS({.width = 256, .height = 256, .mipCount = 9}, data));
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_EQ(image.GetNumImages(), 1);
    const DDSTexture& t = image.GetImage(0);
    EXPECT_EQ(t.GetSize(), 32768);
    ASSERT_EQ(t.GetMipmaps().size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        const DDSSurface& m = t.GetMipmaps()[i];
        EXPECT_EQ(static_cast<std::size_t>(m.GetSize()), sizes[i + 1]) << "level " << i + 1;
        EXPECT_EQ(m.GetWidth(), 128 >> i);
        // Uniform blocks stay uniform under a flip: the level was read where it lies.
        EXPECT_EQ(m.GetPixels()[0], i + 2) << "level " << i + 1;
        EXPECT_EQ(m.GetPixels()[m.GetSize() - 1], i + 2) << "level " << i + 1;
    }
}

TEST(DDSImage, BaseSizesPerFormat) {
    for (const char* code : {"DXT1", "DXT3", "DXT5"}) {
        const std::size_t size = std::string(code) == "DXT1" ? 2048 : 4096;
        const auto [image, error] = ParseDDS(EncodeDDS({.width = 64, .height = 64, .fourCC = code}, Filled(size, 0)));
        ASSERT_TRUE(error.empty()) << code << error;
        EXPECT_EQ(image.GetImage(0).GetSize(), static_cast<int>(size)) << code;
        EXPECT_TRUE(image.IsCompressed());
        EXPECT_EQ(image.GetComponents(), std::string(code) == "DXT1" ? 3 : 4);
        EXPECT_TRUE(image.GetImage(0).GetMipmaps().empty());
    }
}

// Each face and level filled with its own byte: a reader out of step with the
// file shows as a wrong byte or a truncation.
TEST(DDSImage, NonSquareCubeMapKeepsLevelsAndFacesInStep) {
    // 16 x 4 DXT1 with all 5 levels: 16x4, 8x2, 4x1, 2x1, 1x1 -> 32, 16, 8, 8, 8 bytes.
    const std::size_t sizes[] = {32, 16, 8, 8, 8};
    Bytes data;
    for (int face = 0; face < 6; ++face)
        for (std::size_t level = 0; level < std::size(sizes); ++level) {
            const Bytes b = Filled(sizes[level], static_cast<std::uint8_t>(face * 16 + level));
            data.insert(data.end(), b.begin(), b.end());
        }
    const auto [image, error] = ParseDDS(EncodeDDS({.width = 16, .height = 4, .mipCount = 5, .caps2 = 0xFE00}, data));
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_TRUE(image.IsCubemap());
    ASSERT_EQ(image.GetNumImages(), 6);
    // The file's +Y and -Y faces trade places.
    const int fileFace[] = {0, 1, 3, 2, 4, 5};
    for (int i = 0; i < 6; ++i) {
        const DDSTexture& t = image.GetImage(i);
        EXPECT_EQ(t.GetPixels()[0], fileFace[i] * 16) << "face " << i;
        ASSERT_EQ(t.GetMipmaps().size(), 4u);
        for (std::size_t level = 1; level < 5; ++level) {
            const DDSSurface& m = t.GetMipmaps()[level - 1];
            EXPECT_EQ(static_cast<std::size_t>(m.GetSize()), sizes[level]);
            EXPECT_GE(m.GetWidth(), 1);
            EXPECT_GE(m.GetHeight(), 1);
            EXPECT_EQ(m.GetPixels()[0], fileFace[i] * 16 + level) << "face " << i << " level " << level;
        }
    }
    // One byte short of the last face's last level.
    data.pop_back();
    EXPECT_FALSE(ParseDDS(EncodeDDS({.width = 16, .height = 4, .mipCount = 5, .caps2 = 0xFE00}, data)));
}

TEST(DDSImage, MipCountBeyondTheChainStopsAtOneByOne) {
    const Bytes data = Filled(8 * 3, 7);  // 4x4 base, 2x2 and 1x1: one DXT1 block each
    const auto [image, error] = ParseDDS(EncodeDDS({.width = 4, .height = 4, .mipCount = 40}, data));
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(image.GetImage(0).GetMipmaps().size(), 2u);
    const auto baseOnly = ParseDDS(EncodeDDS({.width = 4, .height = 4, .mipCount = 0}, data));
    ASSERT_TRUE(baseOnly);
    EXPECT_TRUE(baseOnly.value.GetImage(0).GetMipmaps().empty());
}

TEST(DDSImage, UncompressedFormats) {
    struct Case {
        std::uint32_t flags, bits;
        bool ok;
        std::uint32_t format;
        int components;
    };
    const Case cases[] = {{0x41, 32, true, kGlBgra, 4}, {0x40, 32, true, kGlBgra, 4}, {0x40, 24, true, kGlBgr, 3},
                          {0x41, 24, false, 0, 0},      {0x40, 16, false, 0, 0},      {0x20, 8, false, 0, 0}};
    for (const Case& c : cases) {
        const auto read = ParseDDS(EncodeDDS(
            {.width = 2, .height = 2, .formatFlags = c.flags, .fourCC = "", .bitCount = c.bits}, Filled(16, 1)));
        const bool ok = static_cast<bool>(read);
        const DDSImage& image = read.value;
        EXPECT_EQ(ok, c.ok) << c.flags << "/" << c.bits;
        EXPECT_EQ(image.GetFormat(), c.format);
        EXPECT_EQ(image.GetComponents(), c.components);
        EXPECT_FALSE(image.IsCompressed());
        if (ok) {
            EXPECT_EQ(image.GetImage(0).GetSize(), 2 * 2 * c.components);
        }
    }
}

TEST(DDSImage, MalformedFilesAreRefusedAndLeaveNothing) {
    struct Case {
        const char* what;
        Bytes file;
    };
    Bytes notDDS = EncodeDDS({.width = 4, .height = 4}, Filled(8, 0));
    notDDS[3] = 'X';
    const Case cases[] = {
        {"empty", {}},
        {"not DDS", notDDS},
        {"short header", Bytes(notDDS.begin(), notDDS.begin() + 100)},
        {"unknown code", EncodeDDS({.width = 4, .height = 4, .fourCC = "ATI9"}, Filled(16, 0))},
        {"zero width", EncodeDDS({.width = 0, .height = 4}, Filled(8, 0))},
        {"truncated base", EncodeDDS({.width = 8, .height = 8}, Filled(31, 0))},
        {"truncated mip", EncodeDDS({.width = 8, .height = 8, .mipCount = 4}, Filled(32 + 8 + 7, 0))},
        {"truncated cube face", EncodeDDS({.width = 4, .height = 4, .caps2 = 0x200}, Filled(8 * 5, 0))},
        {"byte count beyond 32 bits", EncodeDDS({.width = 0xFFFFFFFF, .height = 0xFFFFFFFF}, Filled(8, 0))},
        {"byte count above 2 GiB",
         EncodeDDS({.width = 0x10000, .height = 0x10000, .formatFlags = 0x41, .fourCC = "", .bitCount = 32},
                   Filled(8, 0))},
    };
    for (const Case& c : cases) {
        const ReadResult<DDSImage> read = ParseDDS(c.file);
        EXPECT_FALSE(read) << c.what;
        EXPECT_FALSE(read.reason.empty()) << c.what;
        EXPECT_EQ(read.value.GetNumImages(), 0) << c.what;
    }
    const ReadResult<DDSImage> read = ReadDDS("/no/such/file.dds");
    EXPECT_FALSE(read);
    EXPECT_FALSE(read.reason.empty());
}

TEST(DDSImage, SizeRulesDoNotWrap) {
    const auto dxt1 = ParseDDS(EncodeDDS({.width = 4, .height = 4}, Filled(8, 0)));
    ASSERT_TRUE(dxt1);
    EXPECT_EQ(dxt1.value.CompressedSize(5, 1), 16u);
    EXPECT_GT(dxt1.value.CompressedSize(0xFFFFFFFF, 0xFFFFFFFF), 0xFFFFFFFFu);
    const auto bgrx =
        ParseDDS(EncodeDDS({.width = 1, .height = 1, .formatFlags = 0x40, .fourCC = "", .bitCount = 32}, Filled(4, 0)));
    ASSERT_TRUE(bgrx);
    EXPECT_EQ(bgrx.value.UncompressedSize(3, 5), 60u);
    EXPECT_GT(bgrx.value.UncompressedSize(0xFFFFFFFF, 0xFFFFFFFF), 0xFFFFFFFFu);
}

TEST(DDSImage, GetImageOutOfRangeIsAPreconditionViolation) {
    DDSImage image;
#ifdef NDEBUG
    EXPECT_THROW(image.GetImage(0), std::out_of_range);
    EXPECT_THROW(image.GetImage(-1), std::out_of_range);
#else
    EXPECT_DEATH(image.GetImage(0), "i < \\(int\\)images.size\\(\\)");
#endif
}

// A 4-row image has rows 0 and 3 and rows 1 and 2 exchanged; a 1-row image stays.
TEST(DDSImage, UncompressedRowsAreReversed) {
    Bytes rows4;
    for (int row = 0; row < 4; ++row)
        for (int i = 0; i < 2 * 4; ++i) rows4.push_back(static_cast<std::uint8_t>(row * 16 + i));
    const auto four =
        ParseDDS(EncodeDDS({.width = 2, .height = 4, .formatFlags = 0x41, .fourCC = "", .bitCount = 32}, rows4));
    ASSERT_TRUE(four);
    const auto px = four.value.GetImage(0).GetPixels();
    for (int row = 0; row < 4; ++row)
        for (int i = 0; i < 8; ++i) EXPECT_EQ(px[row * 8 + i], (3 - row) * 16 + i);

    const Bytes oneRow = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const auto single =
        ParseDDS(EncodeDDS({.width = 3, .height = 1, .formatFlags = 0x40, .fourCC = "", .bitCount = 24}, oneRow));
    ASSERT_TRUE(single);
    const auto one = single.value.GetImage(0).GetPixels();
    EXPECT_EQ(Bytes(one.begin(), one.end()), oneRow);
}

// After loading, decoding the blocks gives the file's picture upside down,
// for every format, odd block-row counts and images less than 4 rows high.
TEST(DDSImage, CompressedImagesDecodeUpsideDown) {
    struct Format {
        const char* code;
        int number;
        std::size_t blockBytes;
    };
    const Format formats[] = {{"DXT1", 1, 8}, {"DXT3", 3, 16}, {"DXT5", 5, 16}};
    const int sizes[][2] = {{8, 8}, {8, 12}, {4, 20}, {12, 4}, {8, 3}, {4, 2}, {4, 1}, {1, 1}};
    for (const Format& f : formats) {
        for (const auto& size : sizes) {
            const int w = size[0], h = size[1];
            const std::size_t blocks = static_cast<std::size_t>((w + 3) / 4) * ((h + 3) / 4);
            const Bytes data = RandomBlocks(blocks, f.blockBytes, static_cast<std::uint32_t>(w * 100 + h), true);
            const auto [image, error] = ParseDDS(EncodeDDS(
                {.width = static_cast<std::uint32_t>(w), .height = static_cast<std::uint32_t>(h), .fourCC = f.code},
                data));
            ASSERT_TRUE(error.empty()) << error;
            const auto px = image.GetImage(0).GetPixels();
            const Bytes flipped(px.begin(), px.end());
            EXPECT_EQ(DecodeS3TC(f.number, flipped, w, h), ReverseRgbaRows(DecodeS3TC(f.number, data, w, h), w, h))
                << f.code << " " << w << "x" << h;
        }
    }
}

TEST(DXTBlocks, DXT5AlphaRowsAreMirrored) {
    const auto alpha = [](const Bytes& block, int x, int y) { return DecodeS3TC(5, block, 4, 4)[(y * 4 + x) * 4 + 3]; };
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const Bytes before = RandomBlocks(1, 16, seed, true);
        for (int rows = 1; rows <= 4; ++rows) {
            Bytes after = before;
            FlipDXT5Blocks(after, rows);
            EXPECT_EQ(after[0], before[0]);
            EXPECT_EQ(after[1], before[1]);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) {
                    const int from = y < rows ? rows - 1 - y : y;
                    EXPECT_EQ(alpha(after, x, y), alpha(before, x, from))
                        << "seed " << seed << " rows " << rows << " at " << x << "," << y;
                }
        }
    }
}

TEST(DXTBlocks, FlipLeavesWrongSizedPixelsAlone) {
    const auto [image, error] = ParseDDS(EncodeDDS({.width = 8, .height = 8}, RandomBlocks(4, 8, 3, true)));
    ASSERT_TRUE(error.empty()) << error;
    Bytes pixels = RandomBlocks(3, 8, 4, true);
    const Bytes copy = pixels;
    image.Flip(pixels, 8, 8);
    EXPECT_EQ(pixels, copy);
    // A trailing partial block is left alone too.
    Bytes partial = {1, 2, 3, 4, 5, 6, 7};
    FlipDXT1Blocks(partial);
    EXPECT_EQ(partial, (Bytes{1, 2, 3, 4, 5, 6, 7}));
}

}  // namespace

// The channel masks give the byte order; alpha counts only with its flag.
TEST(DDSImage, ChannelMasksGiveTheByteOrder) {
    constexpr std::array<std::uint32_t, 4> bgra = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    constexpr std::array<std::uint32_t, 4> rgba = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    constexpr std::array<std::uint32_t, 4> rgbNoAlpha = {0x000000FF, 0x0000FF00, 0x00FF0000, 0};
    struct Case {
        std::uint32_t flags, bits;
        std::array<std::uint32_t, 4> masks;
        std::uint32_t format;  // 0: refused
        bool alpha;
    };
    const Case cases[] = {
        {0x41, 32, bgra, kGlBgra, true},
        {0x41, 32, rgba, kGlRgba, true},
        {0x40, 32, rgba, kGlRgba, false},
        {0x40, 24, rgbNoAlpha, kGlRgb, false},
        {0x40, 24, bgra, kGlBgr, false},
        {0x41, 32, rgbNoAlpha, 0, false},                               // alpha flag, no alpha byte
        {0x40, 32, {0xFF000000, 0x00FF0000, 0x0000FF00, 0}, 0, false},  // X, B, G, R
        {0x40, 24, {0x00FF0000, 0x000000FF, 0x0000FF00, 0}, 0, false},  // green first
    };
    for (const Case& c : cases) {
        const auto read = ParseDDS(EncodeDDS(
            {.width = 1, .height = 1, .formatFlags = c.flags, .fourCC = "", .bitCount = c.bits, .masks = c.masks},
            Filled(4, 1)));
        const bool ok = static_cast<bool>(read);
        const DDSImage& image = read.value;
        EXPECT_EQ(ok, c.format != 0) << c.masks[0] << "/" << c.bits;
        EXPECT_EQ(image.GetFormat(), c.format);
        EXPECT_EQ(image.HasAlpha(), c.alpha);
        if (!ok) {
            EXPECT_EQ(read.reason, "unsupported DDS pixel format");
        }
    }
}
