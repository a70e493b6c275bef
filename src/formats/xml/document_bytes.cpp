#include "formats/xml/document_bytes.h"

#include <algorithm>

#include "base/regular_file.h"

std::optional<std::span<const char>> MemoryBytes::Read(std::uint64_t offset, std::size_t count,
                                                       std::vector<char>&) const {
    if (offset >= text_.size()) return std::span<const char>();
    const std::string_view part = text_.substr(offset, count);
    return std::span<const char>(part.data(), part.size());
}

std::optional<std::span<const char>> FileBytes::Read(std::uint64_t offset, std::size_t count,
                                                     std::vector<char>& scratch) const {
    if (offset >= size_) return std::span<const char>();
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
    if (scratch.size() < count) scratch.resize(count);
    // Short only on an error, or when the file shrank.
    if (ReadAt(fd_, offset, {reinterpret_cast<std::uint8_t*>(scratch.data()), count}) != count) return std::nullopt;
    return std::span<const char>(scratch.data(), count);
}
