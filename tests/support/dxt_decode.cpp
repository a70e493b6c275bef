#include <squish.h>

#include "support/dxt_decode.h"

std::vector<std::uint8_t> DecodeS3TC(int format, std::span<const std::uint8_t> blocks, int width, int height) {
    const int flags = format == 1 ? squish::kDxt1 : format == 3 ? squish::kDxt3 : squish::kDxt5;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    squish::DecompressImage(rgba.data(), width, height, blocks.data(), flags);
    return rgba;
}

std::vector<std::uint8_t> ReverseRgbaRows(const std::vector<std::uint8_t>& rgba, int width, int height) {
    std::vector<std::uint8_t> out;
    out.reserve(rgba.size());
    for (int y = height - 1; y >= 0; --y)
        out.insert(out.end(), rgba.begin() + static_cast<std::ptrdiff_t>(y) * width * 4,
                   rgba.begin() + static_cast<std::ptrdiff_t>(y + 1) * width * 4);
    return out;
}
