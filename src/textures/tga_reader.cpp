#include "textures/tga_reader.h"

#include <algorithm>
#include <utility>

#include "textures/image_bytes.h"

namespace {
constexpr std::size_t kHeaderBytes = 18;
constexpr std::uint8_t kDescriptorRightToLeft = 0x10;
constexpr std::uint8_t kDescriptorTopDown = 0x20;

// Unpacks run-length packets of pixelBytes-byte pixels into out, which has
// room for exactly the image. False when the packets run short or overshoot.
bool DecodeRunLength(std::span<const std::uint8_t> data, std::size_t pixelBytes, std::span<std::uint8_t> out) {
    std::size_t in = 0;
    std::size_t written = 0;
    while (written < out.size()) {
        if (in >= data.size()) return false;
        const std::uint8_t packet = data[in++];
        const std::size_t count = (packet & 0x7F) + 1u;
        const std::size_t bytes = count * pixelBytes;
        if (bytes > out.size() - written) return false;
        if (packet & 0x80) {
            if (data.size() - in < pixelBytes) return false;
            for (std::size_t i = 0; i < count; ++i)
                std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(in), pixelBytes,
                            out.begin() + static_cast<std::ptrdiff_t>(written + i * pixelBytes));
            in += pixelBytes;
        } else {
            if (data.size() - in < bytes) return false;
            std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(in), bytes,
                        out.begin() + static_cast<std::ptrdiff_t>(written));
            in += bytes;
        }
        written += bytes;
    }
    return true;
}

void MirrorRows(std::span<std::uint8_t> pixels, std::size_t width, std::size_t pixelBytes) {
    const std::size_t rowBytes = width * pixelBytes;
    for (std::size_t row = 0; row + rowBytes <= pixels.size(); row += rowBytes)
        for (std::size_t left = 0, right = width - 1; left < right; ++left, --right)
            std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(row + left * pixelBytes),
                             pixels.begin() + static_cast<std::ptrdiff_t>(row + (left + 1) * pixelBytes),
                             pixels.begin() + static_cast<std::ptrdiff_t>(row + right * pixelBytes));
}
}  // namespace

std::uint32_t CompressedTGAComponents(std::uint32_t components) {
    switch (components) {
    case kGlLuminance8: return kGlCompressedLuminance;
    case kGlRgb8: return kGlCompressedRgb;
    case kGlRgba8: return kGlCompressedRgba;
    default: return components;
    }
}

ReadResult<TGAImage> ReadTGA(const std::string& path) { return ReadAndParse<TGAImage>(path, ParseTGA); }

ReadResult<TGAImage> ParseTGA(std::span<const std::uint8_t> bytes) {
    TGAImage image;
    const auto fail = [&image](const char* why) { return ReadResult<TGAImage>::Failure(why, std::move(image)); };
    if (bytes.size() < kHeaderBytes) return fail("short TGA header");
    const std::size_t idBytes = bytes[0];
    const std::uint8_t mapType = bytes[1];
    const std::uint8_t imageType = bytes[2];
    const std::uint16_t mapFirst = U16At(bytes, 3);
    const std::uint16_t mapLength = U16At(bytes, 5);
    const std::uint8_t mapEntryBits = bytes[7];
    image.width = U16At(bytes, 12);
    image.height = U16At(bytes, 14);
    const std::uint8_t pixelBits = bytes[16];
    const std::uint8_t descriptor = bytes[17];

    const bool mapped = imageType == 1 || imageType == 9;
    const bool runLength = imageType >= 9;
    if (imageType != 1 && imageType != 2 && imageType != 3 && imageType != 9 && imageType != 10 && imageType != 11)
        return fail("unsupported TGA image type");
    if (mapType > 1 || (mapped && mapType != 1)) return fail("bad TGA colour map type");

    // Stored bytes per pixel, and bytes per pixel after colour-map expansion.
    std::size_t storedBytes = 0;
    std::size_t pixelBytes = 0;
    if (mapped) {
        if (pixelBits != 8 && pixelBits != 16) return fail("unsupported TGA colour index size");
        if (mapEntryBits != 24 && mapEntryBits != 32) return fail("unsupported TGA colour map entry size");
        storedBytes = pixelBits / 8u;
        pixelBytes = mapEntryBits / 8u;
    } else {
        if (pixelBits != 8 && pixelBits != 24 && pixelBits != 32) return fail("unsupported TGA pixel depth");
        storedBytes = pixelBytes = pixelBits / 8u;
    }
    if (image.width == 0 || image.height == 0) return fail("empty TGA image");

    const std::uint64_t pixelCount = static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
    if (SaturatingMul(pixelCount, pixelBytes) > kMaxImageBytes ||
        SaturatingMul(pixelCount, storedBytes) > kMaxImageBytes)
        return fail("TGA image too large");

    // The image ID and the colour map come between the header and the pixels.
    const std::size_t mapEntryBytes = (mapEntryBits + 7u) / 8u;
    const std::size_t mapBytes = mapType == 1 ? mapLength * mapEntryBytes : 0;
    if (bytes.size() - kHeaderBytes < idBytes + mapBytes) return fail("truncated TGA colour map");
    const auto map = bytes.subspan(kHeaderBytes + idBytes, mapBytes);
    const auto data = bytes.subspan(kHeaderBytes + idBytes + mapBytes);

    const std::size_t storedSize = static_cast<std::size_t>(pixelCount) * storedBytes;
    std::vector<std::uint8_t> stored;
    if (runLength) {
        // Each packet of at least 1 + storedBytes bytes gives at most 128
        // pixels: refuse before allocating when the data cannot hold the image.
        const std::uint64_t packets = (data.size() + storedBytes) / (storedBytes + 1);
        if (pixelCount > packets * 128) return fail("truncated TGA run-length data");
        stored.resize(storedSize);
        if (!DecodeRunLength(data, storedBytes, stored)) return fail("corrupt TGA run-length data");
    } else {
        if (data.size() < storedSize) return fail("truncated TGA pixel data");
        stored.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(storedSize));
    }

    if (mapped) {
        std::vector<std::uint8_t> expanded(static_cast<std::size_t>(pixelCount) * pixelBytes);
        for (std::size_t i = 0; i < pixelCount; ++i) {
            const std::size_t index = storedBytes == 1 ? stored[i] : U16At(stored, 2 * i);
            if (index < mapFirst || index - mapFirst >= mapLength) return fail("TGA colour index outside the map");
            std::copy_n(map.begin() + static_cast<std::ptrdiff_t>((index - mapFirst) * mapEntryBytes), pixelBytes,
                        expanded.begin() + static_cast<std::ptrdiff_t>(i * pixelBytes));
        }
        stored = std::move(expanded);
    }
    image.pixels = std::move(stored);

    // Rows go to the GL bottom row first, pixels left to right.
    if (descriptor & kDescriptorTopDown) ReverseRows(image.pixels, static_cast<std::size_t>(image.width) * pixelBytes);
    if (descriptor & kDescriptorRightToLeft)
        MirrorRows(image.pixels, static_cast<std::size_t>(image.width), pixelBytes);

    image.bytesPerPixel = static_cast<int>(pixelBytes);
    switch (pixelBytes) {
    case 1:
        image.format = kGlLuminance;
        image.components = kGlLuminance8;
        break;
    case 3:
        image.format = kGlBgr;
        image.components = kGlRgb8;
        break;
    default:
        image.format = kGlBgra;
        image.components = kGlRgba8;
        break;
    }
    return ReadResult<TGAImage>::Success(std::move(image));
}
