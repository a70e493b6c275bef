// ParseTGA on arbitrary bytes: raw, run-length and colour-mapped files alike
// give exactly width x height pixels of the reported format, or a refusal.
#include "fuzz_checks.h"
#include "textures/tga_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ReadResult<TGAImage> read = ParseTGA(InputBytes(data, size));
    if (!read) {
        Require(!read.reason.empty() && read.value.pixels.empty(), "a refused TGA says why and holds no pixels");
        return 0;
    }
    const TGAImage& image = read.value;
    Require(image.width > 0 && image.height > 0, "accepted TGA has a positive size");
    const bool formatMatches =
        (image.bytesPerPixel == 1 && image.format == kGlLuminance && image.components == kGlLuminance8) ||
        (image.bytesPerPixel == 3 && image.format == kGlBgr && image.components == kGlRgb8) ||
        (image.bytesPerPixel == 4 && image.format == kGlBgra && image.components == kGlRgba8);
    Require(formatMatches, "TGA pixel size and formats agree");
    const std::uint64_t expected = static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height) *
                                   static_cast<std::uint64_t>(image.bytesPerPixel);
    Require(image.pixels.size() == expected, "TGA pixels hold exactly width x height pixels");
    return 0;
}
