// ParseBMP on arbitrary bytes: never reads outside them, and an accepted
// image always has exactly the padded rows its size promises.
#include "fuzz_checks.h"
#include "textures/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ReadResult<BMPImage> read = ParseBMP(InputBytes(data, size));
    if (!read) {
        Require(!read.reason.empty() && read.value.pixels.empty(), "a refused BMP says why and holds no pixels");
        return 0;
    }
    const BMPImage& image = read.value;
    Require(image.width > 0 && image.height > 0, "accepted BMP has a positive size");
    // Three bytes a pixel, each row padded to a multiple of four.
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(image.width) * 3 + 3) / 4 * 4;
    const std::uint64_t expected = rowBytes * static_cast<std::uint64_t>(image.height);
    Require(image.pixels.size() == expected, "BMP pixels hold exactly the padded rows");
    Require(image.pixels.size() <= size, "BMP pixels come from the input");
    return 0;
}
