#include "textures/encode/png_encoder.h"

#include <png.h>

#include <csetjmp>
#include <stdexcept>
#include <string>

namespace {

int ColourType(PNGColour colour) {
    switch (colour) {
    case PNGColour::Grey: return PNG_COLOR_TYPE_GRAY;
    case PNGColour::GreyAlpha: return PNG_COLOR_TYPE_GRAY_ALPHA;
    case PNGColour::RGB: return PNG_COLOR_TYPE_RGB;
    case PNGColour::RGBA: return PNG_COLOR_TYPE_RGB_ALPHA;
    case PNGColour::Palette: return PNG_COLOR_TYPE_PALETTE;
    }
    return PNG_COLOR_TYPE_RGB;
}

// Rows as PNG stores them: samples packed most significant bit first below
// 8 bits, big-endian at 16.
std::vector<Bytes> PackRows(const PNGPicture& picture) {
    const std::size_t perRow = static_cast<std::size_t>(picture.width) * picture.SamplesPerPixel();
    const int depth = picture.bitDepth;
    std::vector<Bytes> rows(static_cast<std::size_t>(picture.height));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        Bytes& row = rows[y];
        row.assign((perRow * depth + 7) / 8, 0);
        for (std::size_t i = 0; i < perRow; ++i) {
            const std::uint16_t sample = picture.samples[y * perRow + i];
            if (sample >> depth != 0) throw std::invalid_argument("PNG sample too large for its bit depth");
            if (depth == 16) {
                row[2 * i] = static_cast<std::uint8_t>(sample >> 8);
                row[2 * i + 1] = static_cast<std::uint8_t>(sample);
            } else {
                const std::size_t bit = i * depth;
                row[bit / 8] |= static_cast<std::uint8_t>(sample << (8 - depth - bit % 8));
            }
        }
    }
    return rows;
}

void Append(png_structp png, png_bytep data, std::size_t size) {
    Bytes& out = *static_cast<Bytes*>(png_get_io_ptr(png));
    out.insert(out.end(), data, data + size);
}

void Flush(png_structp) {}

[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// No C++ object with a destructor may live here: errors longjmp to setjmp.
bool Write(png_structp png, png_infop info, const PNGPicture& picture, bool interlaced, png_bytepp rows,
           png_colorp palette, png_color_16p transparent) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height),
                 picture.bitDepth, ColourType(picture.colour),
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (picture.colour == PNGColour::Palette)
        png_set_PLTE(png, info, palette, static_cast<int>(picture.palette.size()));
    if (!picture.paletteAlpha.empty())
        png_set_tRNS(png, info, picture.paletteAlpha.data(), static_cast<int>(picture.paletteAlpha.size()), nullptr);
    if (transparent) png_set_tRNS(png, info, nullptr, 0, transparent);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

int PNGPicture::SamplesPerPixel() const {
    switch (colour) {
    case PNGColour::GreyAlpha: return 2;
    case PNGColour::RGB: return 3;
    case PNGColour::RGBA: return 4;
    case PNGColour::Grey:
    case PNGColour::Palette: break;
    }
    return 1;
}

Bytes EncodePNG(const PNGPicture& picture, bool interlaced) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.samples.size() != static_cast<std::size_t>(picture.width) * picture.height * picture.SamplesPerPixel())
        throw std::invalid_argument("PNG picture samples do not match its size");
    std::vector<Bytes> packed = PackRows(picture);
    std::vector<png_bytep> rows;
    for (Bytes& row : packed) rows.push_back(row.data());
    std::vector<png_color> palette;
    for (const auto& [r, g, b] : picture.palette) palette.push_back({r, g, b});
    png_color_16 key{};
    if (picture.transparent) {
        const auto& [a, b, c] = *picture.transparent;
        key = picture.colour == PNGColour::Grey ? png_color_16{0, 0, 0, 0, a} : png_color_16{0, a, b, c, 0};
    }

    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool written = false;
    if (info) {
        png_set_write_fn(png, &out, Append, Flush);
        written = Write(png, info, picture, interlaced, rows.data(), palette.data(),
                        picture.transparent ? &key : nullptr);
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (!written) throw std::invalid_argument("libpng refused the PNG picture");
    return out;
}

PNGPicture PNGFromPicture(const Picture& picture) {
    PNGPicture png;
    png.width = picture.width;
    png.height = picture.height;
    png.colour = picture.channels == 1 ? PNGColour::Grey : picture.channels == 3 ? PNGColour::RGB : PNGColour::RGBA;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = picture.At(x, y);
            if (picture.channels == 1) {
                png.samples.push_back(p[0]);
                continue;
            }
            png.samples.insert(png.samples.end(), {p[2], p[1], p[0]});
            if (picture.channels == 4) png.samples.push_back(p[3]);
        }
    }
    return png;
}
