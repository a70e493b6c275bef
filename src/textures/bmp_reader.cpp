#include "textures/bmp_reader.h"

#include <cstdlib>

#include "textures/image_bytes.h"

namespace {
constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::uint16_t kBmpType = 0x4D42;  // "BM"

bool Fail(std::string& error, const char* why) {
    error = why;
    return false;
}
}  // namespace

std::uint64_t BMPRowBytes(std::uint64_t width) { return (24 * width + 31) / 32 * 4; }

bool ReadBMP(const std::string& path, BMPImage& image, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(path, bytes, error)) return false;
    return ReadBMP(std::span<const std::uint8_t>(bytes), image, error);
}

bool ReadBMP(std::span<const std::uint8_t> bytes, BMPImage& image, std::string& error) {
    image = BMPImage{};
    if (bytes.size() < kFileHeaderBytes) return Fail(error, "short BMP file header");
    if (LoadU16(bytes, 0) != kBmpType) return Fail(error, "not a BMP file");

    // Everything up to the pixel data is the info header plus any colour
    // table, which is dropped; the info header must fit in front of the pixels.
    const std::uint32_t dataOffset = LoadU32(bytes, 10);
    if (dataOffset < kFileHeaderBytes + kInfoHeaderBytes)
        return Fail(error, "BMP pixel offset leaves no room for the info header");
    if (dataOffset > bytes.size()) return Fail(error, "truncated BMP header");
    if (LoadU32(bytes, 14) < kInfoHeaderBytes) return Fail(error, "unsupported BMP info header");

    image.width = LoadI32(bytes, 18);
    image.height = LoadI32(bytes, 22);
    if (LoadU16(bytes, 28) != 24) return Fail(error, "only 24-bit BMP files are supported");
    if (image.width <= 0 || image.height == 0 || image.height == INT32_MIN) return Fail(error, "bad BMP size");

    const bool topDown = image.height < 0;
    const std::uint32_t rows = static_cast<std::uint32_t>(std::abs(image.height));
    const std::uint64_t rowBytes = BMPRowBytes(static_cast<std::uint64_t>(image.width));
    const std::uint64_t dataBytes = SaturatingMul(rowBytes, rows);
    if (dataBytes > kMaxImageBytes) return Fail(error, "BMP image too large");
    // A stated size (0 means "compute it") must cover the padded rows; a
    // larger one is allowed, only the rows are read.
    const std::uint32_t statedBytes = LoadU32(bytes, 34);
    if (statedBytes != 0 && statedBytes < dataBytes) return Fail(error, "BMP image size smaller than its rows");
    if (bytes.size() - dataOffset < dataBytes) return Fail(error, "truncated BMP pixel data");

    const auto first = bytes.begin() + dataOffset;
    image.pixels.assign(first, first + static_cast<std::ptrdiff_t>(dataBytes));
    if (topDown) {
        ReverseRows(image.pixels, static_cast<std::size_t>(rowBytes));
        image.height = static_cast<std::int32_t>(rows);
    }
    return true;
}
