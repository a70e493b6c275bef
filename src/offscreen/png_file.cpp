#include "offscreen/png_file.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
}  // namespace

bool WriteOpaquePng(const std::string& path, RgbaImage image, std::string& error) {
    for (std::size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
    return WritePng(path, image, error);
}

bool WritePng(const std::string& path, const RgbaImage& image, std::string& error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    // Light compression: a quarter of the time of libpng's default level for
    // a somewhat larger file, which matters for a snapshot's time to the image.
    png.flags = PNG_IMAGE_FLAG_FAST;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr)) {
        error = "cannot write " + path + ": " + png.message;
        return false;
    }
    return true;
}

bool ReadPng(const std::string& path, RgbaImage& image, std::string& error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        error = "cannot read " + path + ": " + png.message;
        return false;
    }
    png.format = PNG_FORMAT_RGBA;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        error = "cannot decode " + path + ": " + png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}
