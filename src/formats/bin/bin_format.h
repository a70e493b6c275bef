// The packed BIN model layout, little-endian, no magic or padding:
//   offset 0   uint32 vertex count n
//   offset 4   int32  face count f
//   offset 8   uint32 texture count
//   offset 12  positions (3 floats per vertex), normals (3 floats per
//              vertex), texture coordinates (2 floats per vertex), faces
//              (3 uint32 indices per face)
// A complete file is 12 + 32n + 12f bytes; bytes after that are ignored.
// Every block is exactly the matching Mesh array, so it is read straight in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "mesh/mesh.h"

inline constexpr std::size_t kBinHeaderBytes = 12;

struct BinHeader {
    std::uint32_t numVerts = 0;
    std::int32_t numFaces = 0;
    std::uint32_t numTextures = 0;
};

// Bytes a complete file with these counts has (numFaces must not be negative).
std::uint64_t BinFileBytes(const BinHeader& header);

// Checks the counts against the bytes available (the whole file) and the
// machine's memory: empty when they are acceptable, else the reason.
std::string CheckBinHeader(const BinHeader& header, std::uint64_t availableBytes);

// Reads a BIN model from memory into out, which is only written when the
// whole model is valid (counts, size, every face index < vertex count,
// every position finite).
LoadResult ParseBIN(std::span<const std::uint8_t> bytes, Mesh& out);

// Reads a BIN file into out with one read per block (in pieces of a few MB
// so that progress can be reported and the load cancelled). out is only
// written when the whole file is valid. No GL: the own texture is untouched
// and none is loaded (the layout names none).
LoadResult ReadBIN(const std::string& path, Mesh& out, const LoadProgress& progress = {});

// Hands mesh in the BIN layout to put, piece by piece in file order (header,
// then the blocks); stops at the first put that returns false and returns
// false. The mesh's arrays must match its counts (CheckMeshArrays).
bool PutBIN(const Mesh& mesh, const BytePut& put);

// Writes mesh in the BIN layout straight to path (callers that must not
// leave a partial file use WriteModel). Refused with the reason when the
// mesh's arrays don't match its counts or the file can't be written.
WriteResult WriteBIN(const Mesh& mesh, const std::string& path);
