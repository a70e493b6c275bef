// Little-endian byte output for the file writers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

class ByteWriter {
public:
    void U8(std::uint32_t v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
    void U16(std::uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v) {
        U16(v);
        U16(v >> 16);
    }
    void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void Text(std::string_view s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
    void Append(std::span<const std::uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
    std::size_t Size() const { return bytes_.size(); }
    Bytes Take() { return std::move(bytes_); }

private:
    Bytes bytes_;
};

// Writes the bytes to path, replacing the file. False with a reason on failure.
bool WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string& error);
