// Files for tests: a fresh folder per test, removed with everything in it,
// a current directory for a scope, and a plain file writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of name under the folder (nothing is created).
    std::string File(std::string_view name) const { return (path_ / name).string(); }
    // Writes bytes to a file under the folder, creating sub-folders, and returns its path.
    std::string Write(std::string_view relative, std::span<const std::uint8_t> bytes) const;

private:
    std::filesystem::path path_;
};

// Makes a folder the current directory until the end of the scope.
class ScopedCurrentPath {
public:
    explicit ScopedCurrentPath(const std::filesystem::path& path) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~ScopedCurrentPath() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }
    ScopedCurrentPath(const ScopedCurrentPath&) = delete;
    ScopedCurrentPath& operator=(const ScopedCurrentPath&) = delete;

private:
    std::filesystem::path previous_;
};

// Writes bytes to a file, replacing it.
bool WriteFile(const std::string& path, const void* data, std::size_t size);
inline bool WriteFile(const std::string& path, std::string_view text) {
    return WriteFile(path, text.data(), text.size());
}
// A file's bytes; empty when it can't be read.
std::string ReadText(const std::string& path);
