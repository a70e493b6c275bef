#include "png_test_files.h"

#include <array>

namespace {
void PutBigEndian(Bytes& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}
}  // namespace

std::uint32_t ChunkCRC(std::string_view type, const Bytes& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    const auto add = [&crc](std::uint8_t byte) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    };
    for (const char c : type) add(static_cast<std::uint8_t>(c));
    for (const std::uint8_t b : data) add(b);
    return crc ^ 0xFFFFFFFFu;
}

Bytes Chunk(std::string_view type, const Bytes& data, std::uint32_t crcXor) {
    Bytes chunk;
    PutBigEndian(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), type.begin(), type.end());
    chunk.insert(chunk.end(), data.begin(), data.end());
    PutBigEndian(chunk, ChunkCRC(type, data) ^ crcXor);
    return chunk;
}

Bytes HeaderData(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth, std::uint8_t colourType) {
    Bytes data;
    PutBigEndian(data, width);
    PutBigEndian(data, height);
    data.insert(data.end(), {bitDepth, colourType, 0, 0, 0});
    return data;
}

Bytes PNGOf(const std::vector<Bytes>& chunks) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Bytes& chunk : chunks) png.insert(png.end(), chunk.begin(), chunk.end());
    return png;
}

std::vector<Bytes> ChunksOf(const Bytes& png) {
    std::vector<Bytes> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::size_t length = (std::size_t{png[at]} << 24) | (std::size_t{png[at + 1]} << 16) |
                                   (std::size_t{png[at + 2]} << 8) | png[at + 3];
        chunks.emplace_back(png.begin() + static_cast<std::ptrdiff_t>(at),
                            png.begin() + static_cast<std::ptrdiff_t>(at + 12 + length));
        at += 12 + length;
    }
    return chunks;
}
