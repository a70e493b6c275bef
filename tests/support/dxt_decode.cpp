#include <squish.h>

#include "support/image_files.h"

std::vector<std::uint8_t> DecodeS3TC(int format, std::span<const std::uint8_t> blocks, int width, int height) {
    const int flags = format == 1 ? squish::kDxt1 : format == 3 ? squish::kDxt3 : squish::kDxt5;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    squish::DecompressImage(rgba.data(), width, height, blocks.data(), flags);
    return rgba;
}
