// DDSImage::Load on arbitrary bytes: every level it keeps has the byte count
// of its size and format, a cube map has six images, and nothing is read
// beyond the input.
#include "fuzz_checks.h"
#include "textures/dds_image.h"

namespace {

std::uint64_t LevelBytes(const DDSImage& image, const DDSSurface& level) {
    const auto w = static_cast<std::uint32_t>(level.GetWidth());
    const auto h = static_cast<std::uint32_t>(level.GetHeight());
    return image.IsCompressed() ? image.CompressedSize(w, h) : image.UncompressedSize(w, h);
}

void CheckLevel(const DDSImage& image, const DDSSurface& level) {
    Require(level.GetWidth() > 0 && level.GetHeight() > 0, "DDS level sides are at least 1");
    Require(static_cast<std::uint64_t>(level.GetSize()) == LevelBytes(image, level),
            "DDS level holds exactly its size rule's bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DDSImage image;
    if (!image.Load(InputBytes(data, size))) {
        Require(image.GetNumImages() == 0 && !image.GetError().empty(), "a refused DDS is empty and says why");
        return 0;
    }
    Require(image.GetNumImages() == (image.IsCubemap() ? 6 : 1), "one image, or six for a cube map");
    std::uint64_t total = 0;
    for (int i = 0; i < image.GetNumImages(); ++i) {
        const DDSTexture& texture = image.GetImage(i);
        CheckLevel(image, texture.GetSurface());
        total += static_cast<std::uint64_t>(texture.GetSize());
        for (const DDSSurface& mip : texture.GetMipmaps()) {
            CheckLevel(image, mip);
            total += static_cast<std::uint64_t>(mip.GetSize());
        }
    }
    Require(total <= size, "DDS levels come from the input");
    return 0;
}
