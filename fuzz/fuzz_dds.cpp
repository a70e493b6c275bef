// ParseDDS on arbitrary bytes: every level it keeps has the byte count
// of its size and format, a cube map has six images, and nothing is read
// beyond the input.
#include "fuzz_checks.h"
#include "textures/dds_image.h"

namespace {

// Worked out here rather than by the reader's own size functions: 4x4
// blocks of the row's block size, or the bytes of every pixel.
std::uint64_t LevelBytes(const DDSImage& image, const DDSSurface& level) {
    const auto w = static_cast<std::uint64_t>(level.GetWidth());
    const auto h = static_cast<std::uint64_t>(level.GetHeight());
    if (!image.IsCompressed()) return w * h * static_cast<std::uint64_t>(image.GetComponents());
    return (w + 3) / 4 * ((h + 3) / 4) * image.GetDDSFormat()->blockBytes;
}

void CheckLevel(const DDSImage& image, const DDSSurface& level) {
    Require(level.GetWidth() > 0 && level.GetHeight() > 0, "DDS level sides are at least 1");
    Require(static_cast<std::uint64_t>(level.GetSize()) == LevelBytes(image, level),
            "DDS level holds exactly its size rule's bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ReadResult<DDSImage> read = ParseDDS(InputBytes(data, size));
    if (!read) {
        Require(read.value.GetNumImages() == 0 && !read.reason.empty(), "a refused DDS is empty and says why");
        return 0;
    }
    const DDSImage& image = read.value;
    Require(image.GetNumImages() == (image.IsCubemap() ? 6 : 1), "one image, or six for a cube map");
    Require(image.IsTopDown() == (image.IsCompressed() && image.GetDDSFormat()->flipBlocks == nullptr),
            "only blocks that cannot be flipped stay top row first");
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
