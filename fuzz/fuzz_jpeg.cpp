// ParseJPEG on arbitrary bytes: baseline, progressive and arithmetic-coded
// files alike give exactly width x height RGBA8 pixels, all opaque, or a
// refusal that says why and holds none.
#include "fuzz_checks.h"
#include "textures/jpeg_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ReadResult<RGBA8Image> read = ParseJPEG(InputBytes(data, size));
    if (!read) {
        Require(!read.reason.empty() && read.value.pixels.empty(), "a refused JPEG says why and holds no pixels");
        return 0;
    }
    const RGBA8Image& image = read.value;
    Require(image.width > 0 && image.height > 0, "accepted JPEG has a positive size");
    const std::uint64_t expected =
        std::uint64_t{4} * static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
    Require(image.pixels.size() == expected, "JPEG pixels hold exactly width x height RGBA8 pixels");
    for (std::size_t i = 3; i < image.pixels.size(); i += 4) Require(image.pixels[i] == 255, "JPEG pixels are opaque");
    return 0;
}
