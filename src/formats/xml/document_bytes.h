// Random access to a document's bytes, in memory or in a file, for readers
// that work on several parts of it at once (each with its own scratch).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

class DocumentBytes {
public:
    virtual ~DocumentBytes() = default;
    virtual std::uint64_t Size() const = 0;
    // The bytes [offset, offset + count), cut at the end; a file's are read
    // into scratch. Nothing on a read error.
    virtual std::optional<std::span<const char>> Read(std::uint64_t offset, std::size_t count,
                                                      std::vector<char>& scratch) const = 0;
};

class MemoryBytes final : public DocumentBytes {
public:
    explicit MemoryBytes(std::string_view text) : text_(text) {}
    std::uint64_t Size() const override { return text_.size(); }
    std::optional<std::span<const char>> Read(std::uint64_t offset, std::size_t count,
                                              std::vector<char>& scratch) const override;

private:
    std::string_view text_;
};

// An open file of a known size; the descriptor stays the caller's.
class FileBytes final : public DocumentBytes {
public:
    FileBytes(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    std::optional<std::span<const char>> Read(std::uint64_t offset, std::size_t count,
                                              std::vector<char>& scratch) const override;

private:
    int fd_;
    std::uint64_t size_;
};
