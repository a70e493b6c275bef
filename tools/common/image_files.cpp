#include "image_files.h"

#include <squish.h>

namespace {

// DDS header fields.
constexpr std::uint32_t kDdsdCaps = 0x1, kDdsdHeight = 0x2, kDdsdWidth = 0x4, kDdsdPixelFormat = 0x1000,
                        kDdsdMipmapCount = 0x20000, kDdsdLinearSize = 0x80000;
constexpr std::uint32_t kCapsComplex = 0x8, kCapsTexture = 0x1000, kCapsMipmap = 0x400000;

}  // namespace

Picture ToPicture(const Image& image) {
    Picture picture{image.Width(), image.Height(), 3, {}};
    picture.pixels.reserve(static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height()) * 3);
    for (int row = image.Height() - 1; row >= 0; --row) {
        for (const Rgb& p : image.Row(row)) {
            picture.pixels.insert(picture.pixels.end(), {p.b, p.g, p.r});
        }
    }
    return picture;
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

Bytes EncodeMippedDXT1(const Image& image) {
    Bytes data = CompressDXT1(image);
    const auto baseBytes = static_cast<std::uint32_t>(data.size());
    std::uint32_t levels = 1;
    for (Image level = image; level.Width() > 1 || level.Height() > 1; ++levels) {
        level = HalfSize(level);
        const Bytes blocks = CompressDXT1(level);
        data.insert(data.end(), blocks.begin(), blocks.end());
    }
    return EncodeDDS(
        {.width = static_cast<std::uint32_t>(image.Width()),
         .height = static_cast<std::uint32_t>(image.Height()),
         .mipCount = levels,
         .flags = kDdsdCaps | kDdsdHeight | kDdsdWidth | kDdsdPixelFormat | kDdsdMipmapCount | kDdsdLinearSize,
         .linearSize = baseBytes,
         .caps = kCapsTexture | kCapsMipmap | kCapsComplex},
        data);
}
