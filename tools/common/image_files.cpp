#include "image_files.h"

#include <squish.h>

namespace {

constexpr std::uint32_t kBmpHeaderBytes = 14 + 40;
constexpr std::uint32_t kTexelsPerMetre = 2835;  // 72 dots per inch

std::uint32_t PaddedRowBytes(int width) {
    return (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
}

void AppendBGRRow(ByteWriter& out, std::span<const Rgb> row) {
    for (const Rgb& p : row) {
        out.U8(p.b);
        out.U8(p.g);
        out.U8(p.r);
    }
}

// DDS header fields.
constexpr std::uint32_t kDdsdCaps = 0x1, kDdsdHeight = 0x2, kDdsdWidth = 0x4, kDdsdPixelFormat = 0x1000,
                        kDdsdMipmapCount = 0x20000, kDdsdLinearSize = 0x80000;
constexpr std::uint32_t kDdpfFourCC = 0x4;
constexpr std::uint32_t kCapsComplex = 0x8, kCapsTexture = 0x1000, kCapsMipmap = 0x400000;

}  // namespace

Bytes EncodeBMP(const Image& image) {
    const std::uint32_t rowBytes = PaddedRowBytes(image.Width());
    const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(image.Height());
    ByteWriter out;
    out.Text("BM");
    out.U32(kBmpHeaderBytes + dataBytes);
    out.U32(0);  // two reserved words
    out.U32(kBmpHeaderBytes);
    out.U32(40);
    out.U32(static_cast<std::uint32_t>(image.Width()));
    out.U32(static_cast<std::uint32_t>(image.Height()));  // positive: bottom row first
    out.U16(1);
    out.U16(24);
    out.U32(0);  // uncompressed
    out.U32(dataBytes);
    out.U32(kTexelsPerMetre);
    out.U32(kTexelsPerMetre);
    out.U32(0);
    out.U32(0);
    const std::uint32_t padding = rowBytes - static_cast<std::uint32_t>(image.Width()) * 3;
    for (int row = 0; row < image.Height(); ++row) {
        AppendBGRRow(out, image.Row(row));
        out.Zeros(padding);
    }
    return out.Take();
}

Bytes EncodeTGA(const Image& image) {
    ByteWriter out;
    out.U8(0);   // no image ID
    out.U8(0);   // no colour map
    out.U8(2);   // uncompressed true colour
    out.Zeros(5);
    out.U16(0);  // x origin
    out.U16(0);  // y origin
    out.U16(static_cast<std::uint32_t>(image.Width()));
    out.U16(static_cast<std::uint32_t>(image.Height()));
    out.U8(24);
    out.U8(0);   // bottom-left origin, no alpha bits
    for (int row = 0; row < image.Height(); ++row) {
        AppendBGRRow(out, image.Row(row));
    }
    return out.Take();
}

Bytes CompressDXT1(const Image& image) {
    const int w = image.Width();
    const int h = image.Height();
    std::vector<squish::u8> rgba;
    rgba.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    for (int row = h - 1; row >= 0; --row) {  // top row first
        for (const Rgb& p : image.Row(row)) {
            rgba.insert(rgba.end(), {p.r, p.g, p.b, 255});
        }
    }
    const int flags = squish::kDxt1 | squish::kColourIterativeClusterFit;
    Bytes blocks(static_cast<std::size_t>(squish::GetStorageRequirements(w, h, flags)));
    squish::CompressImage(rgba.data(), w, h, blocks.data(), flags);
    return blocks;
}

Bytes EncodeDDS(const Image& image) {
    std::vector<Bytes> levels;
    levels.push_back(CompressDXT1(image));
    for (Image level = image; level.Width() > 1 || level.Height() > 1;) {
        level = HalfSize(level);
        levels.push_back(CompressDXT1(level));
    }

    ByteWriter out;
    out.Text("DDS ");
    out.U32(124);
    out.U32(kDdsdCaps | kDdsdHeight | kDdsdWidth | kDdsdPixelFormat | kDdsdMipmapCount | kDdsdLinearSize);
    out.U32(static_cast<std::uint32_t>(image.Height()));
    out.U32(static_cast<std::uint32_t>(image.Width()));
    out.U32(static_cast<std::uint32_t>(levels.front().size()));
    out.U32(0);  // depth
    out.U32(static_cast<std::uint32_t>(levels.size()));  // levels including the base
    out.Zeros(11 * 4);
    out.U32(32);  // pixel-format size
    out.U32(kDdpfFourCC);
    out.Text("DXT1");
    out.Zeros(5 * 4);  // bit count and masks
    out.U32(kCapsTexture | kCapsMipmap | kCapsComplex);
    out.Zeros(4 * 4);  // caps 2 to 4, reserved
    for (const Bytes& level : levels) {
        out.Append(level);
    }
    return out.Take();
}
