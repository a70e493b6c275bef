// ReadBMP on arbitrary bytes: never reads outside them, and an accepted
// image always has exactly the padded rows its size promises.
#include <string>

#include "fuzz_checks.h"
#include "textures/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BMPImage image;
    std::string error;
    if (!ReadBMP(InputBytes(data, size), image, error)) {
        Require(!error.empty(), "a refused BMP says why");
        return 0;
    }
    Require(image.width > 0 && image.height > 0, "accepted BMP has a positive size");
    // Three bytes a pixel, each row padded to a multiple of four.
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(image.width) * 3 + 3) / 4 * 4;
    const std::uint64_t expected = rowBytes * static_cast<std::uint64_t>(image.height);
    Require(image.pixels.size() == expected, "BMP pixels hold exactly the padded rows");
    Require(image.pixels.size() <= size, "BMP pixels come from the input");
    return 0;
}
