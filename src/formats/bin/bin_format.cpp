#include "formats/bin/bin_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/regular_file.h"
#include "formats/staged_output.h"
#include "mesh/mesh_limits.h"

// The blocks are copied to and from the arrays byte for byte.
static_assert(std::endian::native == std::endian::little, "the BIN layout is little-endian");

namespace {

// Files are read in pieces of this size so that progress is reported and
// a cancel is noticed every few milliseconds, at a negligible cost per call.
constexpr std::size_t kReadPiece = std::size_t{8} << 20;

BinHeader DecodeHeader(const std::uint8_t* bytes) {
    BinHeader header;
    std::memcpy(&header.numVerts, bytes, 4);
    std::memcpy(&header.numFaces, bytes + 4, 4);
    std::memcpy(&header.numTextures, bytes + 8, 4);
    return header;
}

// The four arrays of a model being read, moved into the target only when
// all of it turned out valid.
struct MeshArrays {
    ZeroedArray<float> verts, normals, uvs;
    ZeroedArray<std::uint32_t> faces;

    bool Allocate(const BinHeader& header) {
        const std::size_t n = header.numVerts;
        const std::size_t f = static_cast<std::uint32_t>(header.numFaces);
        return verts.Allocate(3 * n) && normals.Allocate(3 * n) && uvs.Allocate(2 * n) && faces.Allocate(3 * f);
    }

    void MoveInto(Mesh& out, const BinHeader& header) {
        out.verts = std::move(verts);
        out.normals = std::move(normals);
        out.uvs = std::move(uvs);
        out.faces = std::move(faces);
        out.numVerts = header.numVerts;
        out.numFaces = header.numFaces;
        out.numTextures = header.numTextures;
    }
};

std::string AllocationFailure(const BinHeader& header) {
    return "not enough memory for " + std::to_string(header.numVerts) + " vertices and " +
           std::to_string(header.numFaces) + " faces";
}

// The refusal for faces whose largest index is not below the vertex count:
// names the first offending face.
std::string BadIndex(std::span<const std::uint32_t> faces, std::uint32_t numVerts) {
    const auto it = std::find_if(faces.begin(), faces.end(), [&](std::uint32_t i) { return i >= numVerts; });
    const std::size_t face = static_cast<std::size_t>(it - faces.begin()) / 3;
    return "face " + std::to_string(face) + " uses vertex " + std::to_string(*it) + ", but the model has " +
           std::to_string(numVerts) + " vertices";
}

// Reads the blocks of one file in order, counting bytes for the progress callback.
class BlockReader {
public:
    BlockReader(int fd, const LoadProgress& progress) : fd_(fd), progress_(progress) {}

    // Fills size bytes at dest; after each piece onPiece sees the bytes just
    // read. False with reason() set on a read error, early end or cancel.
    template <class OnPiece>
    bool Read(void* dest, std::size_t size, OnPiece&& onPiece) {
        auto* out = static_cast<std::uint8_t*>(dest);
        while (size > 0) {
            const std::size_t piece = std::min(size, kReadPiece);
            std::size_t got = 0;
            while (got < piece) {
                const ssize_t r = read(fd_, out + got, piece - got);
                if (r < 0 && errno == EINTR) continue;
                if (r < 0) return Fail(std::string("read error: ") + std::strerror(errno));
                if (r == 0)
                    return Fail("the file ends after " + std::to_string(done_ + got) + " of " + std::to_string(total_) +
                                " bytes");
                got += static_cast<std::size_t>(r);
            }
            onPiece(out, piece);
            out += piece;
            size -= piece;
            done_ += piece;
            if (total_ != 0 && progress_ && !progress_(done_, total_)) {
                cancelled_ = true;
                return false;
            }
        }
        return true;
    }
    bool Read(void* dest, std::size_t size) {
        return Read(dest, size, [](const std::uint8_t*, std::size_t) {});
    }

    // The bytes the whole load will read, once the header has told.
    void SetTotal(std::uint64_t total) { total_ = total; }
    LoadResult Result() const {
        if (cancelled_) return {false, true, "loading was cancelled"};
        return LoadResult::Failure(reason_);
    }

private:
    bool Fail(std::string why) {
        reason_ = std::move(why);
        return false;
    }

    int fd_;
    const LoadProgress& progress_;
    std::uint64_t total_ = 0;  // 0: not known yet, no progress reported
    std::uint64_t done_ = 0;
    bool cancelled_ = false;
    std::string reason_;
};

}  // namespace

std::uint64_t BinFileBytes(const BinHeader& header) {
    return kBinHeaderBytes + MeshArrayBytes(header.numVerts, static_cast<std::uint32_t>(header.numFaces));
}

std::string CheckBinHeader(const BinHeader& header, std::uint64_t availableBytes) {
    if (header.numFaces < 0) return "negative face count " + std::to_string(header.numFaces);
    const std::uint64_t needed = BinFileBytes(header);
    if (availableBytes < needed)
        return "the file has " + std::to_string(availableBytes) + " bytes, but " + std::to_string(header.numVerts) +
               " vertices and " + std::to_string(header.numFaces) + " faces need " + std::to_string(needed);
    if (!FitsInPhysicalMemory(needed - kBinHeaderBytes))
        return std::to_string(header.numVerts) + " vertices and " + std::to_string(header.numFaces) +
               " faces need more memory than this machine has";
    return {};
}

LoadResult ParseBIN(std::span<const std::uint8_t> bytes, Mesh& out) {
    if (bytes.size() < kBinHeaderBytes)
        return LoadResult::Failure("the file has " + std::to_string(bytes.size()) +
                                   " bytes, shorter than the 12-byte header");
    const BinHeader header = DecodeHeader(bytes.data());
    if (std::string why = CheckBinHeader(header, bytes.size()); !why.empty()) return LoadResult::Failure(why);
    MeshArrays arrays;
    if (!arrays.Allocate(header)) return LoadResult::Failure(AllocationFailure(header));

    const std::uint8_t* p = bytes.data() + kBinHeaderBytes;
    const auto copy = [&p](auto& array) {
        const std::size_t size = array.size() * sizeof(array[0]);
        if (size != 0) std::memcpy(array.data(), p, size);
        p += size;
    };
    copy(arrays.verts);
    copy(arrays.normals);
    copy(arrays.uvs);
    copy(arrays.faces);
    if (header.numFaces > 0 && MaxIndex(arrays.faces.span()) >= header.numVerts)
        return LoadResult::Failure(BadIndex(arrays.faces.span(), header.numVerts));
    if (std::string why = CheckFinitePositions(arrays.verts.span()); !why.empty()) return LoadResult::Failure(why);
    arrays.MoveInto(out, header);
    return LoadResult::Success();
}

LoadResult ReadBIN(const std::string& path, Mesh& out, const LoadProgress& progress) {
    const OpenedFile opened = OpenRegularFile(path);
    if (!opened) return LoadResult::Failure(opened.error);
    const FileDescriptor& file = opened.file;
    const std::uint64_t fileBytes = opened.size;
    if (fileBytes < kBinHeaderBytes)
        return LoadResult::Failure("the file has " + std::to_string(fileBytes) +
                                   " bytes, shorter than the 12-byte header");

    std::array<std::uint8_t, kBinHeaderBytes> headerBytes{};
    BlockReader reader(file.get(), progress);
    if (!reader.Read(headerBytes.data(), headerBytes.size())) return reader.Result();
    const BinHeader header = DecodeHeader(headerBytes.data());
    // Everything is checked before a byte is allocated.
    if (std::string why = CheckBinHeader(header, fileBytes); !why.empty()) return LoadResult::Failure(why);
    MeshArrays arrays;
    if (!arrays.Allocate(header)) return LoadResult::Failure(AllocationFailure(header));

    reader.SetTotal(BinFileBytes(header));
    std::uint32_t maxIndex = 0;
    const auto trackMax = [&maxIndex](const std::uint8_t* piece, std::size_t size) {
        // Pieces are whole multiples of 4 bytes, and the array is aligned.
        const std::span<const std::uint32_t> indices(reinterpret_cast<const std::uint32_t*>(piece), size / 4);
        maxIndex = std::max(maxIndex, MaxIndex(indices));
    };
    bool finite = true;
    const auto trackFinite = [&finite](const std::uint8_t* piece, std::size_t size) {
        // Pieces are whole multiples of 4 bytes, and the array is aligned.
        finite = finite && AllFinite({reinterpret_cast<const float*>(piece), size / 4});
    };
    if (!reader.Read(arrays.verts.data(), arrays.verts.size() * sizeof(float), trackFinite) ||
        !reader.Read(arrays.normals.data(), arrays.normals.size() * sizeof(float)) ||
        !reader.Read(arrays.uvs.data(), arrays.uvs.size() * sizeof(float)) ||
        !reader.Read(arrays.faces.data(), arrays.faces.size() * sizeof(std::uint32_t), trackMax))
        return reader.Result();
    if (header.numFaces > 0 && maxIndex >= header.numVerts)
        return LoadResult::Failure(BadIndex(arrays.faces.span(), header.numVerts));
    if (!finite) return LoadResult::Failure(CheckFinitePositions(arrays.verts.span()));
    arrays.MoveInto(out, header);
    return LoadResult::Success();
}

bool PutBIN(const Mesh& mesh, const BytePut& put) {
    std::array<std::uint8_t, kBinHeaderBytes> header{};
    std::memcpy(header.data(), &mesh.numVerts, 4);
    std::memcpy(header.data() + 4, &mesh.numFaces, 4);
    std::memcpy(header.data() + 8, &mesh.numTextures, 4);
    const auto block = [&put](const auto& array) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(array.data());
        return array.empty() || put({bytes, array.size() * sizeof(array[0])});
    };
    return put(header) && block(mesh.verts) && block(mesh.normals) && block(mesh.uvs) && block(mesh.faces);
}

WriteResult WriteBIN(const Mesh& mesh, const std::string& path) {
    if (std::string why = CheckMeshArrays(mesh); !why.empty()) return WriteResult::Failure(std::move(why));
    std::string error;
    if (!WriteStraightTo(path, [&mesh](const BytePut& put) { return PutBIN(mesh, put); }, error))
        return WriteResult::Failure(std::move(error));
    return WriteResult::Success();
}
