#include "baselines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <iterator>
#include <memory>

#include "formats/bin/bin_format.h"

namespace {

struct Fd {
    int fd;
    explicit Fd(const std::string& path) : fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~Fd() {
        if (fd >= 0) close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

bool ReadFully(int fd, void* dest, std::size_t bytes) {
    auto* out = static_cast<char*>(dest);
    while (bytes > 0) {
        const ssize_t got = read(fd, out, bytes);
        if (got <= 0) return false;
        out += got;
        bytes -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

std::int64_t ReadBinIntoFreshBuffers(const std::string& path) {
    const Fd file(path);
    if (file.fd < 0) return -1;
    std::uint8_t header[kBinHeaderBytes];
    if (!ReadFully(file.fd, header, sizeof header)) return -1;
    std::uint32_t numVerts = 0;
    std::int32_t numFaces = 0;
    std::memcpy(&numVerts, header, 4);
    std::memcpy(&numFaces, header + 4, 4);
    if (numFaces < 0) return -1;
    const std::size_t blocks[] = {12u * numVerts, 12u * numVerts, 8u * numVerts,
                                  12u * static_cast<std::size_t>(numFaces)};
    // All four stay alive until the end, as a mesh's arrays do.
    std::unique_ptr<std::uint8_t[]> buffers[std::size(blocks)];
    std::int64_t total = sizeof header;
    for (std::size_t i = 0; i < std::size(blocks); ++i) {
        buffers[i] = std::make_unique_for_overwrite<std::uint8_t[]>(blocks[i]);
        if (!ReadFully(file.fd, buffers[i].get(), blocks[i])) return -1;
        total += static_cast<std::int64_t>(blocks[i]);
    }
    return total;
}
