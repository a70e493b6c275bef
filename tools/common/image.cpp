#include "image.h"

#include <algorithm>
#include <stdexcept>

Image::Image(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) {
        throw std::invalid_argument("image sides must be positive");
    }
    pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

std::span<const Rgb> Image::Row(int row) const {
    return std::span<const Rgb>(pixels_).subspan(Index(0, row), static_cast<std::size_t>(width_));
}

Image HalfSize(const Image& image) {
    const int w = std::max(1, image.Width() / 2);
    const int h = std::max(1, image.Height() / 2);
    const int fx = image.Width() / w;  // 2, or 1 where a side was already 1
    const int fy = image.Height() / h;
    Image half(w, h);
    for (int row = 0; row < h; ++row) {
        for (int x = 0; x < w; ++x) {
            int r = 0, g = 0, b = 0;
            for (int dy = 0; dy < fy; ++dy) {
                for (int dx = 0; dx < fx; ++dx) {
                    const Rgb& p = image.At(x * fx + dx, row * fy + dy);
                    r += p.r;
                    g += p.g;
                    b += p.b;
                }
            }
            const int n = fx * fy;
            half.At(x, row) = {static_cast<std::uint8_t>((r + n / 2) / n), static_cast<std::uint8_t>((g + n / 2) / n),
                               static_cast<std::uint8_t>((b + n / 2) / n)};
        }
    }
    return half;
}
