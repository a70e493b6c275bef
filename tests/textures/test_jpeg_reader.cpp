// ParseJPEG and ReadJPEG: baseline and progressive, grey and colour, come
// back as RGBA8 rows, bottom row first, within JPEG's loss of the picture;
// CMYK, truncated, corrupt and over-large files are refused with a reason
// and no pixels, the over-large ones before their pixels are allocated.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/memory_limit.h"
#include "support/temp_dir.h"
#include "textures/encode/jpeg_encoder.h"
#include "textures/jpeg_reader.h"

namespace {

// Four flat quadrants (red, green / blue, white from the top left), each
// with a gentle slope: any turn, flip or channel swap shows, and JPEG keeps
// such a picture close.
Picture Quadrants(int width, int height, int channels) {
    Picture picture{width, height, channels, {}};
    picture.pixels.resize(static_cast<std::size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            // R, G, B of each quadrant.
            int r = !bottom && !right ? 220 : bottom && right ? 230 : 20;
            int g = !bottom && right ? 210 : bottom && right ? 230 : 25;
            int b = bottom ? 215 : 30;
            const int slope = (x - (right ? width / 2 : 0) + y - (bottom ? height / 2 : 0)) / 2;
            r = std::min(255, r + slope);
            g = std::min(255, g + slope);
            b = std::min(255, b + slope);
            std::uint8_t* p = picture.At(x, y);
            if (channels == 1) {
                p[0] = static_cast<std::uint8_t>((r * 3 + g * 5 + b * 2) / 10);
            } else {
                p[0] = static_cast<std::uint8_t>(b);
                p[1] = static_cast<std::uint8_t>(g);
                p[2] = static_cast<std::uint8_t>(r);
            }
        }
    }
    return picture;
}

// The largest difference of any channel of any pixel between the decoded
// image and the picture (R, G, B from B, G, R or grey; alpha 255), over rows
// matched bottom first; 256 when the sizes differ. Pixels within margin of
// the quadrants' edges, which JPEG blurs, are left out.
int LargestError(const RGBA8Image& image, const Picture& picture, int margin = 3) {
    if (image.width != picture.width || image.height != picture.height ||
        image.pixels.size() != std::size_t{4} * picture.width * picture.height)
        return 256;
    int largest = 0;
    for (int row = 0; row < image.height; ++row) {
        for (int x = 0; x < image.width; ++x) {
            const int y = picture.height - 1 - row;
            const auto nearEdge = [margin](int at, int size) { return std::abs(at - size / 2) < margin; };
            if (nearEdge(x, picture.width) || nearEdge(y, picture.height)) continue;
            const std::uint8_t* got = &image.pixels[(static_cast<std::size_t>(row) * image.width + x) * 4];
            const std::uint8_t* want = picture.At(x, y);
            const int r = picture.channels == 1 ? want[0] : want[2];
            const int g = picture.channels == 1 ? want[0] : want[1];
            const int b = want[0];
            largest = std::max({largest, std::abs(got[0] - r), std::abs(got[1] - g), std::abs(got[2] - b),
                                255 - got[3]});
        }
    }
    return largest;
}

TEST(JPEGReader, BaselineAndProgressiveGreyAndColourDecodeCloseToThePicture) {
    struct Case {
        const char* what;
        int channels;
        JPEGOptions options;
        int tolerance;
    };
    const Case cases[] = {
        {"colour baseline", 3, {95, false, true, false, false, {}}, 20},
        {"colour progressive", 3, {95, true, true, false, false, {}}, 20},
        {"colour 4:2:0", 3, {95, false, false, false, false, {}}, 40},
        {"colour arithmetic", 3, {95, true, true, true, false, {}}, 20},
        {"grey baseline", 1, {95, false, true, false, false, {}}, 8},
        {"grey progressive", 1, {95, true, true, false, false, {}}, 8},
    };
    // Sizes that are and are not whole 8 x 8 blocks. Colour edges that cut
    // through a block ring a little more than grey ones.
    for (const auto& [width, height] : {std::pair{32, 24}, std::pair{37, 19}}) {
        for (const Case& c : cases) {
            const Picture picture = Quadrants(width, height, c.channels);
            const ReadResult<RGBA8Image> read = ParseJPEG(EncodeJPEG(picture, c.options));
            ASSERT_TRUE(read) << c.what << ": " << read.reason;
            EXPECT_LE(LargestError(read.value, picture), c.tolerance) << c.what << " " << width << "x" << height;
        }
    }
}

TEST(JPEGReader, AFileIsReadLikeItsBytesAndAMissingOneIsRefused) {
    const TempDir dir;
    const Bytes jpeg = EncodeJPEG(Quadrants(16, 16, 3));
    const ReadResult<RGBA8Image> fromFile = ReadJPEG(dir.Write("picture.jpg", jpeg));
    ASSERT_TRUE(fromFile) << fromFile.reason;
    EXPECT_EQ(fromFile.value.pixels, ParseJPEG(jpeg).value.pixels);

    const ReadResult<RGBA8Image> missing = ReadJPEG(dir.File("missing.jpg"));
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.reason.find("cannot open"), std::string::npos) << missing.reason;
}

void ExpectRefused(const Bytes& bytes, const std::string& what, const std::string& reasonPart = {}) {
    const ReadResult<RGBA8Image> read = ParseJPEG(bytes);
    EXPECT_FALSE(read) << what;
    EXPECT_FALSE(read.reason.empty()) << what;
    EXPECT_NE(read.reason.find(reasonPart), std::string::npos) << what << ": " << read.reason;
    EXPECT_TRUE(read.value.pixels.empty()) << what;
}

// Where the first marker of the given kind starts (0xFF then code), or the size.
std::size_t MarkerAt(const Bytes& jpeg, std::uint8_t code) {
    for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == code) return i;
    return jpeg.size();
}

TEST(JPEGReader, CMYKTruncatedAndCorruptFilesAreRefusedWithAReasonAndNoPixels) {
    const Picture cmyk{8, 8, 4, Bytes(256, 100)};
    ExpectRefused(EncodeJPEG(cmyk, {90, false, true, false, true, {}}), "CMYK", "CMYK");

    for (const bool progressive : {false, true}) {
        const Bytes whole = EncodeJPEG(Quadrants(40, 32, 3), {90, progressive, true, false, false, {}});
        ASSERT_TRUE(ParseJPEG(whole));
        const std::string kind = progressive ? "progressive " : "baseline ";
        const std::size_t scan = MarkerAt(whole, 0xDA);
        ASSERT_LT(scan, whole.size());
        ExpectRefused({}, kind + "empty", "not a JPEG");
        // Cut in the headers, in the first scan, in the last, and just before the end marker.
        for (const std::size_t size : {std::size_t{3}, std::size_t{30}, scan + 40, whole.size() - 40,
                                       whole.size() - 2})
            ExpectRefused(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)),
                          kind + "cut to " + std::to_string(size) + " bytes", "bad JPEG file");
        // A marker where the coded data should go on.
        Bytes marked = whole;
        marked[scan + 60] = 0xFF;
        marked[scan + 61] = 0xC8;
        ExpectRefused(marked, kind + "stray marker", "bad JPEG file");
        // A frame header of no components.
        Bytes noComponents = whole;
        const std::size_t frame = MarkerAt(whole, progressive ? 0xC2 : 0xC0);
        noComponents[frame + 9] = 0;
        ExpectRefused(noComponents, kind + "no components", "bad JPEG file");
    }
    // The cut image keeps the size of its header.
    const Bytes whole = EncodeJPEG(Quadrants(40, 32, 3));
    const ReadResult<RGBA8Image> cut = ParseJPEG(Bytes(whole.begin(), whole.end() - 40));
    EXPECT_EQ(cut.value.width, 40);
    EXPECT_EQ(cut.value.height, 32);
}

// A grey progressive sequence: the DC scan, then each AC coefficient in scans
// of one bit each, from bit al down.
std::vector<JPEGScan> ScansOfOneBit(int al) {
    std::vector<JPEGScan> scans{{{0}, 0, 0, 0, 0}};
    for (int k = 1; k < 64; ++k) {
        scans.push_back({{0}, k, k, 0, al});
        for (int bit = al; bit > 0; --bit) scans.push_back({{0}, k, k, bit, bit - 1});
    }
    return scans;
}

TEST(JPEGReader, ProgressiveFilesOfMoreThan256ScansAreRefused) {
    const Picture picture = Quadrants(16, 16, 1);
    JPEGOptions options{90, false, true, false, false, ScansOfOneBit(2)};  // 190 scans
    const ReadResult<RGBA8Image> many = ParseJPEG(EncodeJPEG(picture, options));
    ASSERT_TRUE(many) << many.reason;
    EXPECT_LE(LargestError(many.value, picture), 8);
    options.scans = ScansOfOneBit(4);  // 316 scans
    ExpectRefused(EncodeJPEG(picture, options), "316 scans", "more than 256 scans");
}

// The size fields of the frame header (height, then width, big-endian).
Bytes WithDeclaredSize(Bytes jpeg, std::uint16_t width, std::uint16_t height) {
    const std::size_t frame = MarkerAt(jpeg, 0xC0);
    jpeg[frame + 5] = static_cast<std::uint8_t>(height >> 8);
    jpeg[frame + 6] = static_cast<std::uint8_t>(height);
    jpeg[frame + 7] = static_cast<std::uint8_t>(width >> 8);
    jpeg[frame + 8] = static_cast<std::uint8_t>(width);
    return jpeg;
}

TEST(JPEGReader, OverLargeImagesAreRefusedBeforeTheirPixelsAreAllocated) {
    const ScopedMemoryLimit machine(32 * ScopedMemoryLimit::kGiB);  // refusals must not depend on the host
    const Bytes small = EncodeJPEG(Quadrants(16, 16, 3));
    // 4 GB of pixels: more than any GL upload takes.
    const ReadResult<RGBA8Image> huge = ParseJPEG(WithDeclaredSize(small, 60000, 60000));
    EXPECT_FALSE(huge);
    EXPECT_NE(huge.reason.find("too large"), std::string::npos) << huge.reason;
    EXPECT_EQ(huge.value.width, 60000);
    EXPECT_TRUE(huge.value.pixels.empty());
    // 64 MB of pixels declared by a file of a few hundred bytes: fewer
    // bits than blocks.
    const ReadResult<RGBA8Image> shortData = ParseJPEG(WithDeclaredSize(small, 4000, 4000));
    EXPECT_FALSE(shortData);
    EXPECT_NE(shortData.reason.find("too short for 4000 x 4000"), std::string::npos) << shortData.reason;
    EXPECT_TRUE(shortData.value.pixels.empty());

    // A genuine picture of 4 MiB decoded, with the memory pinned at 2 MiB and at 64 MiB.
    const Bytes big = EncodeJPEG(Quadrants(1024, 1024, 1));
    {
        const ScopedMemoryLimit two(2u << 20);
        const ReadResult<RGBA8Image> read = ParseJPEG(big);
        EXPECT_FALSE(read);
        EXPECT_NE(read.reason.find("more than this machine's memory"), std::string::npos) << read.reason;
        EXPECT_TRUE(read.value.pixels.empty());
    }
    const ScopedMemoryLimit enough(64u << 20);
    const ReadResult<RGBA8Image> read = ParseJPEG(big);
    ASSERT_TRUE(read) << read.reason;
    EXPECT_EQ(read.value.pixels.size(), std::size_t{4} << 20);
}

}  // namespace
