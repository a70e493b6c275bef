#include "textures/dds_image.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "textures/image_bytes.h"
#include "textures/image_formats.h"

namespace {
constexpr std::size_t kDataOffset = 128;  // "DDS " and the 124-byte header
constexpr std::uint32_t kPixelFormatFourCC = 0x4;
constexpr std::uint32_t kPixelFormatRgb = 0x40;
constexpr std::uint32_t kPixelFormatRgbAlpha = 0x41;
constexpr std::uint32_t kCaps2CubeMapBits = 0xFE00;

constexpr std::uint32_t FourCC(const char (&code)[5]) {
    return static_cast<std::uint32_t>(code[0]) | (static_cast<std::uint32_t>(code[1]) << 8) |
           (static_cast<std::uint32_t>(code[2]) << 16) | (static_cast<std::uint32_t>(code[3]) << 24);
}

// Reverses the first `rows` of four rows of rowBytes bytes each.
void ReverseBlockRows(std::span<std::uint8_t> fourRows, std::size_t rowBytes, int rows) {
    for (int k = 0; k < rows / 2; ++k)
        SwapBytes(fourRows.subspan(static_cast<std::size_t>(k) * rowBytes, rowBytes),
                  fourRows.subspan(static_cast<std::size_t>(rows - 1 - k) * rowBytes, rowBytes));
}

// Colour block: two 16-bit end points, then one byte of 2-bit indices per row.
void FlipColourBlock(std::span<std::uint8_t> block, int rows) { ReverseBlockRows(block.subspan(4, 4), 1, rows); }

// Explicit alpha: one 16-bit row of 4-bit alphas per pixel row.
void FlipExplicitAlphaBlock(std::span<std::uint8_t> block, int rows) { ReverseBlockRows(block.first(8), 2, rows); }

// Interpolated alpha: two 8-bit end points, then 48 bits of 3-bit indices,
// little-endian, pixel 0 in the lowest bits: one 12-bit group per row.
void FlipInterpolatedAlphaBlock(std::span<std::uint8_t> block, int rows) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    std::uint64_t row[4];
    for (int r = 0; r < 4; ++r) row[r] = (bits >> (12 * r)) & 0xFFF;
    std::reverse(row, row + rows);
    bits = 0;
    for (int r = 0; r < 4; ++r) bits |= row[r] << (12 * r);
    for (int i = 0; i < 6; ++i) block[2 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

template <class FlipBlock>
void ForEachBlock(std::span<std::uint8_t> blocks, std::size_t blockBytes, FlipBlock flip) {
    for (std::size_t at = 0; at + blockBytes <= blocks.size(); at += blockBytes) flip(blocks.subspan(at, blockBytes));
}

int ClampRows(int rows) { return std::clamp(rows, 1, 4); }

// The GL format of uncompressed pixels by the header's channel masks: one
// byte per channel, blue or red first, alpha (when the file says it has
// any) in the fourth byte. 0 for any other layout.
std::uint32_t ByteOrderFormat(std::span<const std::uint8_t> header, int components, bool hasAlpha) {
    const std::uint32_t red = LoadU32(header, 92);
    const std::uint32_t green = LoadU32(header, 96);
    const std::uint32_t blue = LoadU32(header, 100);
    const std::uint32_t alpha = LoadU32(header, 104);
    if (green != 0x0000FF00 || (hasAlpha && alpha != 0xFF000000)) return 0;
    const bool four = components == 4;
    if (red == 0x00FF0000 && blue == 0x000000FF) return four ? kGlBgra : kGlBgr;
    if (red == 0x000000FF && blue == 0x00FF0000) return four ? kGlRgba : kGlRgb;
    return 0;
}
}  // namespace

void SwapBytes(std::span<std::uint8_t> a, std::span<std::uint8_t> b) {
    const std::size_t n = std::min(a.size(), b.size());
    std::swap_ranges(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n), b.begin());
}

void FlipDXT1Blocks(std::span<std::uint8_t> blocks, int rows) {
    rows = ClampRows(rows);
    ForEachBlock(blocks, 8, [rows](std::span<std::uint8_t> block) { FlipColourBlock(block, rows); });
}

void FlipDXT3Blocks(std::span<std::uint8_t> blocks, int rows) {
    rows = ClampRows(rows);
    ForEachBlock(blocks, 16, [rows](std::span<std::uint8_t> block) {
        FlipExplicitAlphaBlock(block.first(8), rows);
        FlipColourBlock(block.subspan(8), rows);
    });
}

void FlipDXT5Blocks(std::span<std::uint8_t> blocks, int rows) {
    rows = ClampRows(rows);
    ForEachBlock(blocks, 16, [rows](std::span<std::uint8_t> block) {
        FlipInterpolatedAlphaBlock(block.first(8), rows);
        FlipColourBlock(block.subspan(8), rows);
    });
}

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

void DDSImage::Clear() {
    components_ = 0;
    compressed_ = false;
    hasAlpha_ = false;
    cubemap_ = false;
    format_ = 0;
    images_.clear();
    error_.clear();
}

bool DDSImage::Fail(const char* why) {
    Clear();
    error_ = why;
    return false;
}

const DDSTexture& DDSImage::GetImage(int i) const {
    assert(i >= 0 && i < (int)images_.size() && "i < (int)images.size()");
    return images_.at(static_cast<std::size_t>(i));
}

std::uint64_t DDSImage::CompressedSize(std::uint32_t width, std::uint32_t height) const {
    const std::uint64_t blockBytes = format_ == kGlCompressedRgbaDxt1 ? 8 : 16;
    return SaturatingMul(SaturatingMul((width + 3ull) / 4, (height + 3ull) / 4), blockBytes);
}

std::uint64_t DDSImage::UncompressedSize(std::uint32_t width, std::uint32_t height) const {
    return SaturatingMul(SaturatingMul(width, height), static_cast<std::uint64_t>(std::max(components_, 0)));
}

std::uint64_t DDSImage::LevelSize(std::uint32_t width, std::uint32_t height) const {
    return compressed_ ? CompressedSize(width, height) : UncompressedSize(width, height);
}

void DDSImage::Flip(std::span<std::uint8_t> pixels, std::int32_t width, std::int32_t height) const {
    if (width <= 0 || height <= 0) return;
    if (!compressed_) {
        const std::uint64_t rowBytes =
            SaturatingMul(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(std::max(components_, 0)));
        if (rowBytes == 0 || SaturatingMul(rowBytes, static_cast<std::uint64_t>(height)) != pixels.size()) return;
        ReverseRows(pixels, static_cast<std::size_t>(rowBytes));
        return;
    }

    void (*flipBlocks)(std::span<std::uint8_t>, int) = nullptr;
    std::size_t blockBytes = 16;
    switch (format_) {
    case kGlCompressedRgbaDxt1:
        flipBlocks = FlipDXT1Blocks;
        blockBytes = 8;
        break;
    case kGlCompressedRgbaDxt3: flipBlocks = FlipDXT3Blocks; break;
    case kGlCompressedRgbaDxt5: flipBlocks = FlipDXT5Blocks; break;
    default: return;
    }
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

bool DDSImage::Load(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path, bytes, error)) {
        Clear();
        error_ = error;
        return false;
    }
    return Load(std::span<const std::uint8_t>(bytes));
}

bool DDSImage::Load(std::span<const std::uint8_t> bytes) {
    Clear();
    if (bytes.size() < 4 || std::memcmp(bytes.data(), "DDS ", 4) != 0) return Fail("not a DDS file");
    if (bytes.size() < kDataOffset) return Fail("short DDS header");
    const std::uint32_t height = LoadU32(bytes, 12);
    const std::uint32_t width = LoadU32(bytes, 16);
    const std::uint32_t mipCount = LoadU32(bytes, 28);
    const std::uint32_t formatFlags = LoadU32(bytes, 80);
    const std::uint32_t fourCC = LoadU32(bytes, 84);
    const std::uint32_t bitCount = LoadU32(bytes, 88);
    const std::uint32_t caps2 = LoadU32(bytes, 112);

    cubemap_ = (caps2 & kCaps2CubeMapBits) != 0;
    if (formatFlags & kPixelFormatFourCC) {
        if (fourCC == FourCC("DXT1")) {
            format_ = kGlCompressedRgbaDxt1;
            components_ = 3;
        } else if (fourCC == FourCC("DXT3")) {
            format_ = kGlCompressedRgbaDxt3;
            components_ = 4;
        } else if (fourCC == FourCC("DXT5")) {
            format_ = kGlCompressedRgbaDxt5;
            components_ = 4;
        } else {
            return Fail("unsupported DDS compression");
        }
        compressed_ = true;
    } else if ((formatFlags == kPixelFormatRgbAlpha || formatFlags == kPixelFormatRgb) && bitCount == 32) {
        components_ = 4;
        hasAlpha_ = formatFlags == kPixelFormatRgbAlpha;
    } else if (formatFlags == kPixelFormatRgb && bitCount == 24) {
        components_ = 3;
    } else {
        return Fail("unsupported DDS pixel format");
    }
    if (!compressed_) {
        format_ = ByteOrderFormat(bytes, components_, hasAlpha_);
        if (format_ == 0) return Fail("unsupported DDS pixel format");
    }

    if (width == 0 || height == 0) return Fail("empty DDS image");
    if (LevelSize(width, height) > kMaxImageBytes) return Fail("DDS image too large");

    // The count includes the base level. Each side halves down to 1, as the
    // file stores it, so that every level and face is read where it lies.
    const std::uint32_t levelsBelowBase = mipCount > 1 ? mipCount - 1 : 0;
    std::size_t offset = kDataOffset;
    auto readLevel = [&](DDSSurface& surface, std::uint32_t w, std::uint32_t h) {
        const std::uint64_t size = LevelSize(w, h);
        if (bytes.size() - offset < size) return false;
        surface.Create(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), static_cast<std::int32_t>(size));
        const auto pixels = surface.GetPixels();
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), pixels.size(), pixels.begin());
        offset += pixels.size();
        Flip(pixels, surface.GetWidth(), surface.GetHeight());
        return true;
    };

    const int imageCount = cubemap_ ? 6 : 1;
    images_.reserve(static_cast<std::size_t>(imageCount));
    for (int image = 0; image < imageCount; ++image) {
        DDSTexture texture;
        if (!readLevel(texture.GetSurface(), width, height)) return Fail("truncated DDS file");
        std::uint32_t w = width;
        std::uint32_t h = height;
        for (std::uint32_t j = 0; j < levelsBelowBase && (w > 1 || h > 1); ++j) {
            w = std::max(w / 2, 1u);
            h = std::max(h / 2, 1u);
            DDSSurface mipmap;
            if (!readLevel(mipmap, w, h)) return Fail("truncated DDS file");
            texture.AddMipmap(std::move(mipmap));
        }
        images_.push_back(std::move(texture));
    }
    // With every face stored upside down for the GL, the file's +Y face
    // serves as the GL's -Y face and the other way round.
    if (cubemap_) std::swap(images_[2], images_[3]);
    return true;
}
