#include "textures/dds_image.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>
#include <utility>

#include "textures/dds_blocks.h"
#include "textures/image_bytes.h"

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

ReadResult<DDSImage> ReadDDS(const std::string& path) { return ReadAndParse<DDSImage>(path, ParseDDS); }

ReadResult<DDSImage> ParseDDS(std::span<const std::uint8_t> bytes) {
    // A refused image is empty, whatever was read before.
    const auto fail = [](const char* why) { return ReadResult<DDSImage>::Failure(why); };
    if (bytes.size() < kDDSMagic.size() || !std::equal(kDDSMagic.begin(), kDDSMagic.end(), bytes.begin()))
        return fail("not a DDS file");
    if (bytes.size() < kDDSDataOffset) return fail("short DDS header");
    const DDSHeader header = DDSHeaderOf(bytes);

    DDSImage image;
    image.format_ = FindDDSFormat(header.pixelFormat);
    if (image.format_ == nullptr)
        return fail((header.pixelFormat.flags & kDDSFourCC) != 0 ? "unsupported DDS compression"
                                                                 : "unsupported DDS pixel format");
    const DDSFormat& format = *image.format_;
    image.cubemap_ = (header.caps2 & kDDSCubeMapBits) != 0;
    const std::uint32_t width = header.width;
    const std::uint32_t height = header.height;
    if (width == 0 || height == 0) return fail("empty DDS image");
    if (DDSLevelBytes(format, width, height) > kMaxImageBytes) return fail("DDS image too large");

    // The count includes the base level. Each side halves down to 1, as the
    // file stores it, so that every level and face is read where it lies.
    const std::uint32_t levelsBelowBase = header.mipMapCount > 1 ? header.mipMapCount - 1 : 0;
    std::size_t offset = kDDSDataOffset;
    auto readLevel = [&](DDSSurface& surface, std::uint32_t w, std::uint32_t h) {
        const std::uint64_t size = DDSLevelBytes(format, w, h);
        if (bytes.size() - offset < size) return false;
        surface.Create(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), static_cast<std::int32_t>(size));
        const auto pixels = surface.GetPixels();
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), pixels.size(), pixels.begin());
        offset += pixels.size();
        image.Flip(pixels, surface.GetWidth(), surface.GetHeight());
        return true;
    };

    const int imageCount = image.cubemap_ ? 6 : 1;
    image.images_.reserve(static_cast<std::size_t>(imageCount));
    for (int face = 0; face < imageCount; ++face) {
        DDSTexture texture;
        if (!readLevel(texture.GetSurface(), width, height)) return fail("truncated DDS file");
        std::uint32_t w = width;
        std::uint32_t h = height;
        for (std::uint32_t j = 0; j < levelsBelowBase && (w > 1 || h > 1); ++j) {
            w = std::max(w / 2, 1u);
            h = std::max(h / 2, 1u);
            DDSSurface mipmap;
            if (!readLevel(mipmap, w, h)) return fail("truncated DDS file");
            texture.AddMipmap(std::move(mipmap));
        }
        image.images_.push_back(std::move(texture));
    }
    // With every face stored upside down for the GL, the file's +Y face
    // serves as the GL's -Y face and the other way round.
    if (image.cubemap_) std::swap(image.images_[2], image.images_[3]);
    return ReadResult<DDSImage>::Success(std::move(image));
}
