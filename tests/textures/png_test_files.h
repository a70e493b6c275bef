// PNG files built chunk by chunk, for the files the encoder will not write:
// a header declaring any size, chunks with broken checksums, unknown chunks.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The CRC-32 a PNG chunk carries over its type and data.
std::uint32_t ChunkCRC(std::string_view type, const Bytes& data);
// One chunk: length, type, data, CRC (plus crcXor, to break the checksum).
Bytes Chunk(std::string_view type, const Bytes& data, std::uint32_t crcXor = 0);
// The IHDR chunk's data: big-endian width and height, depth, colour type,
// compression, filter and interlace methods.
Bytes HeaderData(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth, std::uint8_t colourType);
// The signature and the given chunks, in order.
Bytes PNGOf(const std::vector<Bytes>& chunks);
// The chunks of a PNG file after its signature, in order, each as Chunk() gives it.
std::vector<Bytes> ChunksOf(const Bytes& png);
