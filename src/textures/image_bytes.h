// Byte-level helpers shared by the BMP, TGA and DDS readers: whole-file
// reads, little-endian fields, checked byte counts and row reversal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "textures/read_result.h"

// The largest pixel block or file the readers accept: every byte count
// handed on to the GL must fit in its signed 32-bit size arguments.
inline constexpr std::uint64_t kMaxImageBytes = 0x7FFFFFFF;

// Reads a whole file. Refuses a path that is empty or too long for the
// system, a file that cannot be opened or read, or one larger than
// kMaxImageBytes.
ReadResult<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path);

// What every Read... of a format is: the file's bytes handed to its Parse....
template <class Image, class Parse>
ReadResult<Image> ReadAndParse(const std::string& path, Parse parse) {
    ReadResult<std::vector<std::uint8_t>> file = ReadFileBytes(path);
    if (!file) return ReadResult<Image>::Failure(std::move(file.reason));
    return parse(std::span<const std::uint8_t>(file.value));
}

// Little-endian fields; the caller guarantees offset + width <= bytes.size().
std::uint16_t U16At(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t U32At(std::span<const std::uint8_t> bytes, std::size_t offset);
std::int32_t I32At(std::span<const std::uint8_t> bytes, std::size_t offset);

// a x b, or UINT64_MAX when the product does not fit, so that chained
// products stay above every limit once one of them overflowed.
std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b);

// Reverses the order of the rows of rowBytes bytes each (a trailing partial
// row is left alone).
void ReverseRows(std::span<std::uint8_t> pixels, std::size_t rowBytes);
