#include "textures/bmp_reader.h"

#include <cstdlib>
#include <utility>

#include "textures/image_bytes.h"

namespace {
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::uint16_t kBmpType = 0x4D42;  // "BM"
}  // namespace

std::uint64_t BMPRowBytes(std::uint64_t width) { return (24 * width + 31) / 32 * 4; }

ReadResult<BMPImage> ReadBMP(const std::string& path) { return ReadAndParse<BMPImage>(path, ParseBMP); }

ReadResult<BMPImage> ParseBMP(std::span<const std::uint8_t> bytes) {
    BMPImage image;
    const auto fail = [&image](const char* why) { return ReadResult<BMPImage>::Failure(why, std::move(image)); };
    if (bytes.size() < kFileHeaderBytes) return fail("short BMP file header");
    if (U16At(bytes, 0) != kBmpType) return fail("not a BMP file");

    // Everything up to the pixel data is the info header plus any colour
    // table, which is dropped; the info header must fit in front of the pixels.
    const std::uint32_t dataOffset = U32At(bytes, 10);
    if (dataOffset < kFileHeaderBytes + kInfoHeaderBytes)
        return fail("BMP pixel offset leaves no room for the info header");
    if (dataOffset > bytes.size()) return fail("truncated BMP header");
    if (U32At(bytes, 14) < kInfoHeaderBytes) return fail("unsupported BMP info header");

    image.width = I32At(bytes, 18);
    image.height = I32At(bytes, 22);
    if (U16At(bytes, 28) != 24) return fail("only 24-bit BMP files are supported");
    if (image.width <= 0 || image.height == 0 || image.height == INT32_MIN) return fail("bad BMP size");

    const bool topDown = image.height < 0;
    const std::uint32_t rows = static_cast<std::uint32_t>(std::abs(image.height));
    const std::uint64_t rowBytes = BMPRowBytes(static_cast<std::uint64_t>(image.width));
    const std::uint64_t dataBytes = SaturatingMul(rowBytes, rows);
    if (dataBytes > kMaxImageBytes) return fail("BMP image too large");
    // A stated size (0 means "compute it") must cover the padded rows; a
    // larger one is allowed, only the rows are read.
    const std::uint32_t statedBytes = U32At(bytes, 34);
    if (statedBytes != 0 && statedBytes < dataBytes) return fail("BMP image size smaller than its rows");
    if (bytes.size() - dataOffset < dataBytes) return fail("truncated BMP pixel data");

    const auto first = bytes.begin() + dataOffset;
    image.pixels.assign(first, first + static_cast<std::ptrdiff_t>(dataBytes));
    if (topDown) {
        ReverseRows(image.pixels, static_cast<std::size_t>(rowBytes));
        image.height = static_cast<std::int32_t>(rows);
    }
    return ReadResult<BMPImage>::Success(std::move(image));
}
