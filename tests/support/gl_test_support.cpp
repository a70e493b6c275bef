#include "support/gl_test_support.h"

#include <cstdlib>
#include <filesystem>

#include "offscreen/png_file.h"

std::string SaveTestImage(const RgbaImage& image, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(TESSA_BINARY_DIR) / "test-output";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path = (dir / (name + ".png")).string();
    std::string error;
    WritePng(path, image, error);
    return path;
}

bool NearColor(const std::uint8_t* pixel, int r, int g, int b, int tolerance) {
    return std::abs(pixel[0] - r) <= tolerance && std::abs(pixel[1] - g) <= tolerance &&
           std::abs(pixel[2] - b) <= tolerance;
}
