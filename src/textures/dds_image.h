// Reader for DDS files: the pixel formats of dds_formats.h (S3TC, RGTC and
// BPTC blocks, uncompressed 8- to 32-bit pixels), named by the legacy
// header or by the DX10 header after it; single images or six-face cube
// maps, with their stored mip levels. Every level is turned upside down on
// reading, so that its first row in memory is the bottom row of the
// picture, as the GL expects; except for formats whose blocks cannot be
// turned over (BC6H, BC7), which stay top row first and say so
// (IsTopDown), for whoever draws them to flip their texture coordinates.
// No GL: formats are GL enumerant values (textures/image_formats.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "textures/dds_formats.h"
#include "textures/read_result.h"

// One block of pixel data: a mip level of one image.
class DDSSurface {
public:
    DDSSurface() = default;
    // A zero-filled surface of size bytes.
    DDSSurface(std::int32_t width, std::int32_t height, std::int32_t size);

    // Replaces the contents by a zero-filled block of size bytes.
    void Create(std::int32_t width, std::int32_t height, std::int32_t size);
    void Clear();

    std::int32_t GetWidth() const { return width_; }
    std::int32_t GetHeight() const { return height_; }
    std::int32_t GetSize() const { return static_cast<std::int32_t>(pixels_.size()); }
    std::span<std::uint8_t> GetPixels() { return pixels_; }
    std::span<const std::uint8_t> GetPixels() const { return pixels_; }

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint8_t> pixels_;
};

// One image: its base level and the stored mip levels below it.
class DDSTexture {
public:
    DDSTexture() = default;
    DDSTexture(std::int32_t width, std::int32_t height, std::int32_t size) : surface_(width, height, size) {}

    std::int32_t GetWidth() const { return surface_.GetWidth(); }
    std::int32_t GetHeight() const { return surface_.GetHeight(); }
    std::int32_t GetSize() const { return surface_.GetSize(); }
    std::span<std::uint8_t> GetPixels() { return surface_.GetPixels(); }
    std::span<const std::uint8_t> GetPixels() const { return surface_.GetPixels(); }
    DDSSurface& GetSurface() { return surface_; }
    const DDSSurface& GetSurface() const { return surface_; }

    void AddMipmap(DDSSurface mipmap) { mipmaps_.push_back(std::move(mipmap)); }
    // Levels 1, 2, ... in order.
    const std::vector<DDSSurface>& GetMipmaps() const { return mipmaps_; }

private:
    DDSSurface surface_;
    std::vector<DDSSurface> mipmaps_;
};

class DDSImage {
public:
    // The image at index i (faces in the order +X, -X, +Y, -Y, +Z, -Z).
    // Precondition: 0 <= i < GetNumImages(); asserted in debug builds, and
    // std::out_of_range is thrown otherwise.
    const DDSTexture& GetImage(int i) const;
    int GetNumImages() const { return static_cast<int>(images_.size()); }

    // The row of the format table the file's pixel format matched; null when empty.
    const DDSFormat* GetDDSFormat() const { return format_; }
    // The row's GL format: GL_COMPRESSED_RGBA_S3TC_DXT1/3/5_EXT, GL_BGR,
    // GL_BGRA, GL_RGB or GL_RGBA (the byte order the masks give); 0 when empty.
    std::uint32_t GetFormat() const { return format_ ? format_->glFormat : 0; }
    // Whether uncompressed pixels carry alpha: without the flag for it a
    // fourth byte is padding and the image is opaque.
    bool HasAlpha() const { return format_ && format_->HasAlpha(); }
    // Bytes per pixel of uncompressed data; 3 for DXT1, 4 for DXT3 and DXT5.
    int GetComponents() const { return format_ ? format_->components : 0; }
    bool IsCompressed() const { return format_ && format_->IsCompressed(); }
    bool IsCubemap() const { return cubemap_; }
    // Levels lie top row first (formats that cannot be flipped); the faces
    // of a cube map then keep their own places too.
    bool IsTopDown() const { return format_ && format_->ReadsTopDown(); }

    // Byte counts of one level under the current format (0 when empty),
    // computed in 64 bits (saturating) so that oversized headers can be refused.
    std::uint64_t CompressedSize(std::uint32_t width, std::uint32_t height) const;
    std::uint64_t UncompressedSize(std::uint32_t width, std::uint32_t height) const;

    // Turns one level of the current format upside down in place. A block
    // of fewer than 4 rows has only its used rows reversed. Pixels of the
    // wrong size for (width, height), and formats that read top down, are
    // left alone.
    void Flip(std::span<std::uint8_t> pixels, std::int32_t width, std::int32_t height) const;

private:
    friend ReadResult<DDSImage> ParseDDS(std::span<const std::uint8_t> bytes);

    const DDSFormat* format_ = nullptr;
    bool cubemap_ = false;
    std::vector<DDSTexture> images_;
};

// Reads a DDS file, or parses one in memory. A refused image is empty.
ReadResult<DDSImage> ReadDDS(const std::string& path);
ReadResult<DDSImage> ParseDDS(std::span<const std::uint8_t> bytes);

// A DDS file read for a loader: the image, or what the loader shows. That
// is lead alone for a file that could not be read at all (missing), and
// lead, ": " and the reader's reason for one whose contents were refused.
struct DDSFileRead {
    DDSImage image;
    std::string message;  // empty when the image was read
    explicit operator bool() const { return message.empty(); }
};
DDSFileRead ReadDDSFile(const std::string& path, std::string_view lead);
