// An 8-bit RGB picture held bottom row first: row 0 is the bottom of the
// picture, which is also texture row t = 0 once the viewer has loaded it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

class Image {
public:
    Image(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb& At(int x, int row) { return pixels_[Index(x, row)]; }
    const Rgb& At(int x, int row) const { return pixels_[Index(x, row)]; }
    std::span<const Rgb> Row(int row) const;
    friend bool operator==(const Image&, const Image&) = default;

private:
    std::size_t Index(int x, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// Half the size (each side at least 1), every pixel the rounded mean of the
// 2x2 (or 2x1) pixels it covers; an odd last row or column is dropped.
Image HalfSize(const Image& image);
