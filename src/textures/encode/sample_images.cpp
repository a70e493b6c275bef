#include "textures/encode/sample_images.h"

#include <algorithm>
#include <utility>

Picture MakePicture(int width, int height, int channels, int seed) {
    Picture p{width, height, channels, {}};
    p.pixels.resize(static_cast<std::size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                p.At(x, y)[c] = static_cast<std::uint8_t>(x * 37 + y * 71 + c * 113 + seed * 29 + x * y * 7 + 5);
    return p;
}

Picture MakeStripes(int width, int height, int channels) {
    static constexpr std::uint8_t kColours[4][4] = {
        {10, 20, 30, 255}, {200, 40, 60, 128}, {0, 250, 90, 0}, {120, 120, 240, 64}};
    Picture p{width, height, channels, {}};
    p.pixels.resize(static_cast<std::size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) std::copy_n(kColours[(x / 3 + y) % 4], channels, p.At(x, y));
    return p;
}

Bytes RandomBlocks(std::size_t count, std::size_t blockBytes, std::uint32_t seed, bool allowThreeColour) {
    std::uint32_t state = seed * 2654435761u + 12345u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state >> 24);
    };
    Bytes out(count * blockBytes);
    for (auto& b : out) b = next();
    if (allowThreeColour) return out;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t colour = i * blockBytes + blockBytes - 8;
        auto c = [&](int k) {
            return static_cast<std::uint16_t>(out[colour + 2 * k] | (out[colour + 2 * k + 1] << 8));
        };
        std::uint16_t c0 = c(0), c1 = c(1);
        if (c0 < c1) std::swap(c0, c1);
        if (c0 == c1) {
            if (c0 == 0)
                c0 = 1;
            else
                c1 = static_cast<std::uint16_t>(c0 - 1);
        }
        PutU16(out, colour, c0);
        PutU16(out, colour + 2, c1);
    }
    return out;
}
