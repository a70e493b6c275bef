#include "textures/image_bytes.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "base/regular_file.h"

ReadResult<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path) {
    using Result = ReadResult<std::vector<std::uint8_t>>;
    // A path the system cannot take is a missing file, never a shortened one.
    if (path.empty() || path.size() >= PATH_MAX || path.find('\0') != std::string::npos)
        return Result::Failure(path.empty() ? "no file name" : "file name too long or malformed");
    const OpenedFile file = OpenRegularFile(path);
    if (!file) return Result::Failure("cannot open " + path + " (" + file.error + ")");
    if (file.size > kMaxImageBytes) return Result::Failure("file too large: " + path);
    Result read;
    read.value.resize(static_cast<std::size_t>(file.size));
    if (ReadAt(file.file.get(), 0, read.value) != read.value.size()) return Result::Failure("cannot read " + path);
    return read;
}

std::uint16_t U16At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

std::uint32_t U32At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

std::int32_t I32At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::int32_t>(U32At(bytes, offset));
}

std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > UINT64_MAX / a) return UINT64_MAX;
    return a * b;
}

void ReverseRows(std::span<std::uint8_t> pixels, std::size_t rowBytes) {
    if (rowBytes == 0) return;
    const std::size_t rows = pixels.size() / rowBytes;
    for (std::size_t top = 0; top < rows / 2; ++top) {
        const std::size_t bottom = rows - 1 - top;
        std::swap_ranges(pixels.begin() + static_cast<std::ptrdiff_t>(top * rowBytes),
                         pixels.begin() + static_cast<std::ptrdiff_t>((top + 1) * rowBytes),
                         pixels.begin() + static_cast<std::ptrdiff_t>(bottom * rowBytes));
    }
}
