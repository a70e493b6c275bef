#include "textures/dds_image.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "textures/dds_blocks.h"
#include "textures/image_bytes.h"
#include "textures/loader_messages.h"

DDSSurface::DDSSurface(std::int32_t width, std::int32_t height, std::int32_t size) { Create(width, height, size); }

void DDSSurface::Create(std::int32_t width, std::int32_t height, std::int32_t size) {
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(std::max(size, 0)), 0);
}

void DDSSurface::Clear() {
    width_ = height_ = 0;
    pixels_ = {};
}

const DDSTexture& DDSImage::GetImage(int i) const {
    assert(i >= 0 && i < (int)images_.size() && "i < (int)images.size()");
    return images_.at(static_cast<std::size_t>(i));
}

std::uint64_t DDSImage::CompressedSize(std::uint32_t width, std::uint32_t height) const {
    return IsCompressed() ? DDSLevelBytes(*format_, width, height) : 0;
}

std::uint64_t DDSImage::UncompressedSize(std::uint32_t width, std::uint32_t height) const {
    return format_ && !IsCompressed() ? DDSLevelBytes(*format_, width, height) : 0;
}

void DDSImage::Flip(std::span<std::uint8_t> pixels, std::int32_t width, std::int32_t height) const {
    if (width <= 0 || height <= 0 || format_ == nullptr) return;
    if (!format_->IsCompressed()) {
        const std::uint64_t rowBytes =
            SaturatingMul(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(format_->components));
        if (rowBytes == 0 || SaturatingMul(rowBytes, static_cast<std::uint64_t>(height)) != pixels.size()) return;
        ReverseRows(pixels, static_cast<std::size_t>(rowBytes));
        return;
    }

    const auto flipBlocks = format_->flipBlocks;
    if (flipBlocks == nullptr) return;  // kept top row first
    const std::size_t blockBytes = format_->blockBytes;
    const std::size_t xblocks = (static_cast<std::size_t>(width) + 3) / 4;
    const std::size_t yblocks = (static_cast<std::size_t>(height) + 3) / 4;
    const std::size_t rowBytes = xblocks * blockBytes;
    if (pixels.size() != rowBytes * yblocks) return;
    auto blockRow = [&](std::size_t i) { return pixels.subspan(i * rowBytes, rowBytes); };

    // A level less than 4 rows high uses only the top rows of its blocks.
    if (height < 4) {
        flipBlocks(blockRow(0), height);
        return;
    }
    // Whole block rows trade places with their rows reversed inside. (Rows
    // cannot move between blocks, which have their own end points, so a
    // height of 5 or more that is not a multiple of 4 comes out shifted by
    // its padding rows.)
    for (std::size_t i = 0; i < yblocks / 2; ++i) {
        const auto top = blockRow(i);
        const auto bottom = blockRow(yblocks - 1 - i);
        flipBlocks(top, 4);
        flipBlocks(bottom, 4);
        SwapBytes(top, bottom);
    }
    if (yblocks % 2 == 1) flipBlocks(blockRow(yblocks / 2), 4);
}

namespace {

// A FourCC as its four characters when they are printable, else as a number.
std::string FourCCText(std::uint32_t code) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(code >> (8 * i));
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", code);
            return hex;
        }
        text += static_cast<char>(c);
    }
    return '"' + text + '"';
}

// Why the DX10 header names something other than one 2D image or one cube
// map; "" when it names one of those.
std::string RefusedResource(const DDSHeaderDX10& dx10) {
    const bool cube = (dx10.miscFlag & kDDSMiscTextureCube) != 0;
    switch (static_cast<DDSResourceDimension>(dx10.resourceDimension)) {
    case DDSResourceDimension::Texture2D: break;
    case DDSResourceDimension::Texture1D: return "1D texture, which is not drawn";
    case DDSResourceDimension::Texture3D: return "volume texture, which is not drawn";
    case DDSResourceDimension::Buffer:
    case DDSResourceDimension::Unknown:
    default: return "unknown DX10 resource dimension " + std::to_string(dx10.resourceDimension);
    }
    if (dx10.arraySize == 0) return "DX10 array size 0";
    if (dx10.arraySize > 1)
        return "texture array of " + std::to_string(dx10.arraySize) + (cube ? " cube maps" : " slices") +
               ", which is not drawn";
    return {};
}

// Bytes of every stored level of one image, saturating.
std::uint64_t ImageBytes(const DDSFormat& format, std::uint32_t width, std::uint32_t height,
                         std::uint32_t levelsBelowBase) {
    std::uint64_t total = DDSLevelBytes(format, width, height);
    for (std::uint32_t j = 0; j < levelsBelowBase && (width > 1 || height > 1); ++j) {
        width = std::max(width / 2, 1u);
        height = std::max(height / 2, 1u);
        const std::uint64_t level = DDSLevelBytes(format, width, height);
        total = total + level < total ? UINT64_MAX : total + level;
    }
    return total;
}

}  // namespace

ReadResult<DDSImage> ReadDDS(const std::string& path) { return ReadAndParse<DDSImage>(path, ParseDDS); }

ReadResult<DDSImage> ParseDDS(std::span<const std::uint8_t> bytes) {
    // A refused image is empty, whatever was read before.
    const auto fail = [](std::string why) { return ReadResult<DDSImage>::Failure(std::move(why)); };
    if (bytes.size() < kDDSMagic.size() || !std::equal(kDDSMagic.begin(), kDDSMagic.end(), bytes.begin()))
        return fail("not a DDS file");
    if (bytes.size() < kDDSDataOffset) return fail("short DDS header");
    const DDSHeader header = DDSHeaderOf(bytes);
    const DDSPixelFormat& pixelFormat = header.pixelFormat;

    DDSImage image;
    std::size_t offset = kDDSDataOffset;
    if ((pixelFormat.flags & kDDSFourCC) != 0 && pixelFormat.fourCC == FourCC("DX10")) {
        if (bytes.size() < kDDSDX10DataOffset) return fail("short DX10 header");
        const DDSHeaderDX10 dx10 = DDSHeaderDX10Of(bytes);
        offset = kDDSDX10DataOffset;
        image.format_ = FindDDSFormatDXGI(dx10.dxgiFormat);
        if (image.format_ == nullptr) return fail("unsupported DXGI format " + std::to_string(dx10.dxgiFormat));
        if (std::string why = RefusedResource(dx10); !why.empty()) return fail(std::move(why));
        image.cubemap_ = (dx10.miscFlag & kDDSMiscTextureCube) != 0;
    } else {
        image.format_ = FindDDSFormat(pixelFormat);
        if (image.format_ == nullptr)
            return fail((pixelFormat.flags & kDDSFourCC) != 0
                            ? "unsupported DDS compression " + FourCCText(pixelFormat.fourCC)
                            : "unsupported DDS pixel format");
        image.cubemap_ = (header.caps2 & kDDSCubeMapBits) != 0;
    }
    if ((header.caps2 & kDDSVolume) != 0 || header.depth > 1) return fail("volume texture, which is not drawn");

    const DDSFormat& format = *image.format_;
    const std::uint32_t width = header.width;
    const std::uint32_t height = header.height;
    if (width == 0 || height == 0) return fail("empty DDS image");
    if (DDSLevelBytes(format, width, height) > kMaxImageBytes) return fail("DDS image too large");

    // The count includes the base level. Each side halves down to 1, as the
    // file stores it, so that every level and face is read where it lies.
    // All of them must be in the file before anything is allocated.
    const std::uint32_t levelsBelowBase = header.mipMapCount > 1 ? header.mipMapCount - 1 : 0;
    const int imageCount = image.cubemap_ ? 6 : 1;
    if (SaturatingMul(ImageBytes(format, width, height, levelsBelowBase), static_cast<std::uint64_t>(imageCount)) >
        bytes.size() - offset)
        return fail("truncated DDS file");

    auto readLevel = [&](DDSSurface& surface, std::uint32_t w, std::uint32_t h) {
        const std::uint64_t size = DDSLevelBytes(format, w, h);
        surface.Create(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), static_cast<std::int32_t>(size));
        const auto pixels = surface.GetPixels();
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), pixels.size(), pixels.begin());
        offset += pixels.size();
        image.Flip(pixels, surface.GetWidth(), surface.GetHeight());
    };

    image.images_.reserve(static_cast<std::size_t>(imageCount));
    for (int face = 0; face < imageCount; ++face) {
        DDSTexture texture;
        readLevel(texture.GetSurface(), width, height);
        std::uint32_t w = width;
        std::uint32_t h = height;
        for (std::uint32_t j = 0; j < levelsBelowBase && (w > 1 || h > 1); ++j) {
            w = std::max(w / 2, 1u);
            h = std::max(h / 2, 1u);
            DDSSurface mipmap;
            readLevel(mipmap, w, h);
            texture.AddMipmap(std::move(mipmap));
        }
        image.images_.push_back(std::move(texture));
    }
    // With every face stored upside down for the GL, the file's +Y face
    // serves as the GL's -Y face and the other way round. Faces kept top
    // row first stay in place: their drawing flips t, which does the same.
    if (image.cubemap_ && !image.IsTopDown()) std::swap(image.images_[2], image.images_[3]);
    return ReadResult<DDSImage>::Success(std::move(image));
}

DDSFileRead ReadDDSFile(const std::string& path, std::string_view lead) {
    ReadResult<std::vector<std::uint8_t>> file = ReadFileBytes(path);
    if (!file) return {.image = {}, .message = std::string(lead)};
    ReadResult<DDSImage> read = ParseDDS(file.value);
    if (!read) return {.image = {}, .message = WithReason(lead, read.reason)};
    return {.image = std::move(read.value), .message = {}};
}
