#include "formats/scene/shared_model.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <cerrno>
#include <span>
#include <type_traits>

#include "mesh/mesh_limits.h"

namespace {

std::uint64_t PageBytes() {
    const long page = sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<std::uint64_t>(page) : 4096;
}

std::uint64_t RoundUp(std::uint64_t bytes, std::uint64_t unit) { return (bytes + unit - 1) / unit * unit; }

// Copies bytes to at, skipping the pages of source that hold only zeros:
// the file's holes read as zeros already, and cost no memory.
void CopySkippingZeros(std::span<const std::uint8_t> source, std::uint8_t* at, std::size_t page) {
    static constexpr std::uint8_t kZeros[1 << 16] = {};
    for (std::size_t done = 0; done < source.size(); done += page) {
        const std::size_t n = std::min(page, source.size() - done);
        if (n <= sizeof kZeros && std::memcmp(source.data() + done, kZeros, n) == 0) continue;
        std::memcpy(at + done, source.data() + done, n);
    }
}

template <class T>
std::span<const std::uint8_t> BytesOf(const ZeroedArray<T>& array) {
    return {reinterpret_cast<const std::uint8_t*>(array.data()), array.size() * sizeof(T)};
}

}  // namespace

int RequiredSeals() { return F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE; }

SharedArraysLayout SharedArraysLayoutFor(const BinHeader& header) {
    const std::uint64_t page = PageBytes(), n = header.numVerts;
    const std::uint64_t f = header.numFaces > 0 ? static_cast<std::uint64_t>(header.numFaces) : 0;
    SharedArraysLayout layout;
    layout.normals = RoundUp(12 * n, page);
    layout.uvs = layout.normals + RoundUp(12 * n, page);
    layout.faces = layout.uvs + RoundUp(8 * n, page);
    layout.bytes = layout.faces + RoundUp(12 * f, page);
    return layout;
}

int CreateSharedArraysFile() { return memfd_create("tessaview-model", MFD_CLOEXEC | MFD_ALLOW_SEALING); }

bool PutSharedArrays(int fd, Mesh& mesh) {
    const BinHeader header{mesh.numVerts, mesh.numFaces, mesh.numTextures};
    const SharedArraysLayout layout = SharedArraysLayoutFor(header);
    if (ftruncate(fd, static_cast<off_t>(layout.bytes)) != 0) return false;
    if (layout.bytes != 0) {
        void* mapped = mmap(nullptr, layout.bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapped == MAP_FAILED) return false;
        auto* base = static_cast<std::uint8_t*>(mapped);
        const std::size_t page = PageBytes();
        CopySkippingZeros(BytesOf(mesh.verts), base + layout.verts, page);
        mesh.verts.Reset();
        CopySkippingZeros(BytesOf(mesh.normals), base + layout.normals, page);
        mesh.normals.Reset();
        CopySkippingZeros(BytesOf(mesh.uvs), base + layout.uvs, page);
        mesh.uvs.Reset();
        CopySkippingZeros(BytesOf(mesh.faces), base + layout.faces, page);
        mesh.faces.Reset();
        // The write seal needs every shared writable mapping gone.
        if (munmap(mapped, layout.bytes) != 0) return false;
    }
    return fcntl(fd, F_ADD_SEALS, RequiredSeals()) == 0;
}

std::string TakeSharedArrays(int fd, const BinHeader& header, Mesh& out) {
    if (header.numFaces < 0) return "the import process sent a negative face count";
    const int seals = fcntl(fd, F_GET_SEALS);
    if (seals < 0 || (seals & RequiredSeals()) != RequiredSeals())
        return "the import process left its model open to change";
    const SharedArraysLayout layout = SharedArraysLayoutFor(header);
    struct stat info {};
    if (fstat(fd, &info) != 0 || static_cast<std::uint64_t>(info.st_size) != layout.bytes)
        return "the import process sent a model of " + std::to_string(layout.bytes) + " bytes in " +
               std::to_string(info.st_size) + " bytes";
    if (!FitsInPhysicalMemory(layout.bytes)) return "the import process sent a model larger than this machine's memory";
    const std::size_t n = header.numVerts, f = static_cast<std::size_t>(header.numFaces);
    Mesh mesh;
    if (layout.bytes != 0) {
        // Private: the mesh may change its arrays (fitting, flipping normals); its pages are then its own.
        void* mapped = mmap(nullptr, layout.bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
        if (mapped == MAP_FAILED) return "cannot map the model of the import process: " + std::string(std::strerror(errno));
        auto* base = static_cast<std::uint8_t*>(mapped);
        // Each array owns its pages from here; the padding after each is
        // unmapped with it. An empty array has no pages (the layout gives it none).
        const auto adopt = [base](auto& array, std::uint64_t at, std::size_t count) {
            using T = std::remove_reference_t<decltype(array[0])>;
            if (count != 0) array.AdoptMapping(reinterpret_cast<T*>(base + at), count);
        };
        adopt(mesh.verts, layout.verts, 3 * n);
        adopt(mesh.normals, layout.normals, 3 * n);
        adopt(mesh.uvs, layout.uvs, 2 * n);
        adopt(mesh.faces, layout.faces, 3 * f);
    }
    if (f != 0 && MaxIndex(mesh.faces.span()) >= n)
        return "the import process sent an invalid model: a face uses a vertex beyond its " + std::to_string(n);
    if (std::string why = CheckFinitePositions(mesh.verts.span()); !why.empty())
        return "the import process sent an invalid model: " + why;
    out.verts = std::move(mesh.verts);
    out.normals = std::move(mesh.normals);
    out.uvs = std::move(mesh.uvs);
    out.faces = std::move(mesh.faces);
    return {};
}
