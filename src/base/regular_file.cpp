#include "base/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

OpenedFile OpenRegularFile(const std::string& path) {
    OpenedFile opened;
    // O_NONBLOCK: opening a FIFO with no writer returns at once instead of
    // waiting for one; for a regular file it changes nothing.
    FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) {
        opened.error = "cannot open the file: " + std::string(std::strerror(errno));
        return opened;
    }
    struct stat info {};
    if (fstat(file.get(), &info) != 0) {
        opened.error = "cannot read the file: " + std::string(std::strerror(errno));
        return opened;
    }
    if (!S_ISREG(info.st_mode)) {
        // (A folder keeps the reason the readers always gave it.)
        opened.error = S_ISDIR(info.st_mode) ? "not a readable file" : "not a regular file";
        return opened;
    }
    opened.file = std::move(file);
    opened.size = static_cast<std::uint64_t>(info.st_size);
    return opened;
}

std::optional<std::size_t> ReadAt(int fd, std::uint64_t offset, std::span<std::uint8_t> into) {
    std::size_t got = 0;
    while (got < into.size()) {
        const ssize_t r = pread(fd, into.data() + got, into.size() - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return std::nullopt;
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}
