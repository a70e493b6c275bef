// The one way the program opens a file to read: without blocking, and only
// a regular file. A FIFO, a device or a folder is refused with a reason, so
// no read of a model, a texture or a file a model refers to can hang.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/file_descriptor.h"

struct OpenedFile {
    FileDescriptor file;  // invalid when refused
    std::uint64_t size = 0;
    std::string error;  // why it was refused, empty when open
    explicit operator bool() const { return file.valid(); }
};

// Opens path for reading (O_NONBLOCK, O_CLOEXEC) and checks with fstat that
// it is a regular file.
OpenedFile OpenRegularFile(const std::string& path);

// Fills into with the file's bytes from offset on until it is full or the
// file ends (pread, retried when interrupted): the count filled, less only at
// the file's end; nothing on a read error (errno says which).
std::optional<std::size_t> ReadAt(int fd, std::uint64_t offset, std::span<std::uint8_t> into);
