// ParsePNG on arbitrary bytes: every colour type, depth and interlacing gives
// exactly width x height RGBA8 pixels, or a refusal that says why and holds none.
#include "fuzz_checks.h"
#include "textures/png_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ReadResult<RGBA8Image> read = ParsePNG(InputBytes(data, size));
    if (!read) {
        Require(!read.reason.empty() && read.value.pixels.empty(), "a refused PNG says why and holds no pixels");
        return 0;
    }
    const RGBA8Image& image = read.value;
    Require(image.width > 0 && image.height > 0, "accepted PNG has a positive size");
    const std::uint64_t expected =
        std::uint64_t{4} * static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
    Require(image.pixels.size() == expected, "PNG pixels hold exactly width x height RGBA8 pixels");
    return 0;
}
