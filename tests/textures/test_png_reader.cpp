// ParsePNG and ReadPNG: every colour type, bit depth and transparency,
// interlaced or not, arrives as the same RGBA8 rows, bottom row first;
// truncated, corrupt and over-large files are refused with a reason and no
// pixels, the over-large ones before their pixels are allocated.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "png_test_files.h"
#include "support/memory_limit.h"
#include "support/temp_dir.h"
#include "textures/encode/png_encoder.h"
#include "textures/png_reader.h"

namespace {

// The RGBA a person sees for each pixel of picture, bottom row first,
// worked out from the samples alone.
Bytes ExpectedRGBA(const PNGPicture& picture) {
    const int n = picture.SamplesPerPixel();
    const int depth = picture.bitDepth;
    const auto to8 = [depth](std::uint16_t v) {
        // 16-bit samples here are k * 257 plus less than 128: k either way they round.
        return static_cast<std::uint8_t>(depth == 16 ? v / 257 : v * 255 / ((1 << depth) - 1));
    };
    Bytes out;
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint16_t* s = &picture.samples[(static_cast<std::size_t>(y) * picture.width + x) * n];
            std::array<std::uint8_t, 4> rgba{};
            switch (picture.colour) {
            case PNGColour::Grey:
            case PNGColour::GreyAlpha: {
                const bool keyed = picture.transparent && s[0] == (*picture.transparent)[0];
                rgba = {to8(s[0]), to8(s[0]), to8(s[0]), n == 2 ? to8(s[1]) : std::uint8_t(keyed ? 0 : 255)};
                break;
            }
            case PNGColour::RGB:
            case PNGColour::RGBA: {
                const bool keyed = picture.transparent && s[0] == (*picture.transparent)[0] &&
                                   s[1] == (*picture.transparent)[1] && s[2] == (*picture.transparent)[2];
                rgba = {to8(s[0]), to8(s[1]), to8(s[2]), n == 4 ? to8(s[3]) : std::uint8_t(keyed ? 0 : 255)};
                break;
            }
            case PNGColour::Palette: {
                const auto& [r, g, b] = picture.palette[s[0]];
                const bool hasAlpha = s[0] < picture.paletteAlpha.size();
                rgba = {r, g, b, hasAlpha ? picture.paletteAlpha[s[0]] : std::uint8_t(255)};
                break;
            }
            }
            out.insert(out.end(), rgba.begin(), rgba.end());
        }
    }
    return out;
}

// A picture whose every pixel differs from its neighbours, with the
// transparent colour (where given) at a few places.
PNGPicture Variant(PNGColour colour, int bitDepth, bool withTransparency) {
    PNGPicture picture;
    picture.width = 13;  // odd, so that packed rows end inside a byte
    picture.height = 11;
    picture.colour = colour;
    picture.bitDepth = bitDepth;
    const int n = picture.SamplesPerPixel();
    const std::uint32_t levels = 1u << bitDepth;
    if (colour == PNGColour::Palette) {
        for (std::uint32_t i = 0; i < levels; ++i)
            picture.palette.push_back({static_cast<std::uint8_t>(i * 37 + 5), static_cast<std::uint8_t>(200 - i * 3),
                                       static_cast<std::uint8_t>(i * 91)});
        if (withTransparency)  // fewer entries than the palette: the rest stay opaque
            for (std::uint32_t i = 0; i < (levels + 1) / 2; ++i)
                picture.paletteAlpha.push_back(static_cast<std::uint8_t>(i * 53 % 256));
    }
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            for (int c = 0; c < n; ++c) {
                const std::uint32_t v = static_cast<std::uint32_t>(x * 7 + y * 13 + c * 5 + bitDepth);
                picture.samples.push_back(static_cast<std::uint16_t>(
                    bitDepth == 16 ? (v * 31 % 256) * 257 + (x + y + c) % 100 : v % levels));
            }
        }
    }
    if (withTransparency && colour != PNGColour::Palette) {
        std::array<std::uint16_t, 3> key{};
        for (int c = 0; c < n; ++c) key[c] = picture.samples[static_cast<std::size_t>(c)];  // the top-left pixel
        picture.transparent = key;
        for (const int at : {17, 60, 142}) {  // and a few more
            for (int c = 0; c < n; ++c) picture.samples[static_cast<std::size_t>(at * n + c)] = key[c];
        }
    }
    return picture;
}

std::string Describe(PNGColour colour, int depth, bool transparency, bool interlaced) {
    static const char* const names[] = {"grey", "grey+alpha", "RGB", "RGBA", "palette"};
    return std::string(names[static_cast<int>(colour)]) + " " + std::to_string(depth) + "-bit" +
           (transparency ? " tRNS" : "") + (interlaced ? " interlaced" : "");
}

// The first pixel where two RGBA buffers differ, or -1.
long FirstDifference(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size()) return 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return static_cast<long>(i / 4);
    return -1;
}

TEST(PNGReader, EveryColourTypeAndDepthArrivesAsRGBA8BottomRowFirst) {
    struct Case {
        PNGColour colour;
        int depth;
        bool transparency;
    };
    const Case cases[] = {
        {PNGColour::Grey, 1, false},      {PNGColour::Grey, 2, false},      {PNGColour::Grey, 4, false},
        {PNGColour::Grey, 8, false},      {PNGColour::Grey, 16, false},     {PNGColour::Grey, 2, true},
        {PNGColour::Grey, 8, true},       {PNGColour::Grey, 16, true},      {PNGColour::GreyAlpha, 8, false},
        {PNGColour::GreyAlpha, 16, false}, {PNGColour::RGB, 8, false},       {PNGColour::RGB, 16, false},
        {PNGColour::RGB, 8, true},        {PNGColour::RGB, 16, true},       {PNGColour::RGBA, 8, false},
        {PNGColour::RGBA, 16, false},     {PNGColour::Palette, 1, false},   {PNGColour::Palette, 2, false},
        {PNGColour::Palette, 4, false},   {PNGColour::Palette, 8, false},   {PNGColour::Palette, 4, true},
        {PNGColour::Palette, 8, true},
    };
    for (const Case& c : cases) {
        for (const bool interlaced : {false, true}) {
            const std::string what = Describe(c.colour, c.depth, c.transparency, interlaced);
            const PNGPicture picture = Variant(c.colour, c.depth, c.transparency);
            const ReadResult<RGBA8Image> read = ParsePNG(EncodePNG(picture, interlaced));
            ASSERT_TRUE(read) << what << ": " << read.reason;
            EXPECT_EQ(read.value.width, picture.width) << what;
            EXPECT_EQ(read.value.height, picture.height) << what;
            EXPECT_EQ(FirstDifference(read.value.pixels, ExpectedRGBA(picture)), -1) << what;
        }
    }
}

TEST(PNGReader, AFileIsReadLikeItsBytesAndAMissingOneIsRefused) {
    const TempDir dir;
    const Bytes png = EncodePNG(Variant(PNGColour::RGBA, 8, false));
    const ReadResult<RGBA8Image> fromFile = ReadPNG(dir.Write("picture.png", png));
    ASSERT_TRUE(fromFile) << fromFile.reason;
    EXPECT_EQ(fromFile.value.pixels, ParsePNG(png).value.pixels);

    const ReadResult<RGBA8Image> missing = ReadPNG(dir.File("missing.png"));
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.reason.find("cannot open"), std::string::npos) << missing.reason;
    EXPECT_TRUE(missing.value.pixels.empty());
}

void ExpectRefused(const Bytes& bytes, const std::string& what, const std::string& reasonPart = {}) {
    const ReadResult<RGBA8Image> read = ParsePNG(bytes);
    EXPECT_FALSE(read) << what;
    EXPECT_FALSE(read.reason.empty()) << what;
    EXPECT_NE(read.reason.find(reasonPart), std::string::npos) << what << ": " << read.reason;
    EXPECT_TRUE(read.value.pixels.empty()) << what;
}

TEST(PNGReader, TruncatedAndCorruptFilesAreRefusedWithAReasonAndNoPixels) {
    const Bytes whole = EncodePNG(Variant(PNGColour::RGB, 8, false));
    ASSERT_TRUE(ParsePNG(whole));
    const std::vector<Bytes> chunks = ChunksOf(whole);
    ASSERT_EQ(chunks.size(), 3u);  // IHDR, IDAT, IEND

    ExpectRefused({}, "empty", "not a PNG");
    ExpectRefused(Bytes(whole.begin(), whole.begin() + 7), "part of the signature", "not a PNG");
    // Cut in the header, in the image data, before IEND and inside it.
    for (const std::size_t size : {std::size_t{20}, std::size_t{40}, whole.size() / 2, whole.size() - 12,
                                   whole.size() - 1})
        ExpectRefused(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)),
                      "cut to " + std::to_string(size) + " bytes", "bad PNG file");

    // A refused image keeps the size its header gave.
    const ReadResult<RGBA8Image> cut = ParsePNG(Bytes(whole.begin(), whole.begin() + 60));
    EXPECT_EQ(cut.value.width, 13);
    EXPECT_EQ(cut.value.height, 11);

    // A wrong checksum on the header or the image data.
    ExpectRefused(PNGOf({Chunk("IHDR", HeaderData(13, 11, 8, 2), 1), chunks[1], chunks[2]}), "IHDR checksum",
                  "CRC");
    const Bytes idat(chunks[1].begin() + 8, chunks[1].end() - 4);
    ExpectRefused(PNGOf({chunks[0], Chunk("IDAT", idat, 0x100), chunks[2]}), "IDAT checksum", "CRC");
    // A changed byte in the image data, its checksum left alone.
    Bytes flipped = whole;
    flipped[chunks[0].size() + 8 + 20] ^= 0x10;
    ExpectRefused(flipped, "changed IDAT byte", "bad PNG file");
    // Image data that checks out but does not inflate.
    const Bytes garbage(60, 0x5A);
    ExpectRefused(PNGOf({chunks[0], Chunk("IDAT", garbage), chunks[2]}), "bad deflate data", "bad PNG file");
    // Too little image data for the rows, with correct checksums.
    ExpectRefused(PNGOf({chunks[0], Chunk("IDAT", Bytes(idat.begin(), idat.begin() + static_cast<std::ptrdiff_t>(idat.size() / 2))), chunks[2]}),
                  "short image data", "bad PNG file");
    // A warning refuses too: a broken checksum on an ancillary chunk, which libpng would skip.
    ExpectRefused(PNGOf({chunks[0], Chunk("tEXt", {'a', 0, 'b'}, 1), chunks[1], chunks[2]}), "tEXt checksum",
                  "CRC");
    // A critical chunk nobody knows, and a palette image without a palette.
    ExpectRefused(PNGOf({chunks[0], Chunk("ABCD", {1, 2}), chunks[1], chunks[2]}), "unknown critical chunk");
    ExpectRefused(PNGOf({Chunk("IHDR", HeaderData(13, 11, 8, 3)), chunks[1], chunks[2]}), "no palette");
    // A bit depth the colour type does not allow.
    ExpectRefused(PNGOf({Chunk("IHDR", HeaderData(13, 11, 4, 2)), chunks[1], chunks[2]}), "4-bit RGB");

    // Ancillary chunks the pixels do not need, the colour profile included, change nothing.
    const Bytes withExtras = PNGOf({chunks[0], Chunk("gAMA", {0, 0, 0xB1, 0x8F}), Chunk("iCCP", {'x', 0, 0, 1, 2}),
                                    Chunk("tEXt", {'a', 0, 'b'}), chunks[1], chunks[2]});
    const ReadResult<RGBA8Image> extras = ParsePNG(withExtras);
    ASSERT_TRUE(extras) << extras.reason;
    EXPECT_EQ(extras.value.pixels, ParsePNG(whole).value.pixels);
}

TEST(PNGReader, OverLargeImagesAreRefusedBeforeTheirPixelsAreAllocated) {
    const ScopedMemoryLimit machine(32 * ScopedMemoryLimit::kGiB);  // refusals must not depend on the host
    const Bytes end = Chunk("IEND", {});
    // More RGBA8 bytes than any GL upload takes.
    const ReadResult<RGBA8Image> huge =
        ParsePNG(PNGOf({Chunk("IHDR", HeaderData(30000, 30000, 8, 6)), Chunk("IDAT", Bytes(100, 0)), end}));
    EXPECT_FALSE(huge);
    EXPECT_NE(huge.reason.find("too large"), std::string::npos) << huge.reason;
    EXPECT_EQ(huge.value.width, 30000);
    EXPECT_TRUE(huge.value.pixels.empty());

    // 1.6 GB of pixels declared by a file of a few hundred bytes: no
    // deflate stream that short holds them.
    const Bytes tiny = PNGOf({Chunk("IHDR", HeaderData(20000, 20000, 8, 6)), Chunk("IDAT", Bytes(300, 0)), end});
    const ReadResult<RGBA8Image> shortData = ParsePNG(tiny);
    EXPECT_FALSE(shortData);
    EXPECT_NE(shortData.reason.find("too short for 20000 x 20000"), std::string::npos) << shortData.reason;
    EXPECT_TRUE(shortData.value.pixels.empty());

    // A size the data could hold, but not the machine: 64 MiB of pixels
    // with the memory pinned at 32 MiB. The data is never looked at.
    const Bytes big =
        PNGOf({Chunk("IHDR", HeaderData(4096, 4096, 8, 6)), Chunk("IDAT", Bytes(70000, 0)), end});
    {
        const ScopedMemoryLimit small(32u << 20);
        const ReadResult<RGBA8Image> read = ParsePNG(big);
        EXPECT_FALSE(read);
        EXPECT_NE(read.reason.find("more than this machine's memory"), std::string::npos) << read.reason;
    }
    // With the memory to hold it, the same file gets as far as its (bad) data.
    const ReadResult<RGBA8Image> read = ParsePNG(big);
    EXPECT_FALSE(read);
    EXPECT_NE(read.reason.find("bad PNG file"), std::string::npos) << read.reason;
}

}  // namespace
