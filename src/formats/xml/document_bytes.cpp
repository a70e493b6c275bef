#include "formats/xml/document_bytes.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

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
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = pread(fd_, scratch.data() + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;  // an error, or the file shrank
        got += static_cast<std::size_t>(n);
    }
    return std::span<const char>(scratch.data(), count);
}
