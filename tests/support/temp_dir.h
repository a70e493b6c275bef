// Files for tests: a fresh folder per test, removed with everything in it,
// and a plain file writer.
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

// Writes bytes to a file, replacing it.
bool WriteFile(const std::string& path, const void* data, std::size_t size);
inline bool WriteFile(const std::string& path, std::string_view text) {
    return WriteFile(path, text.data(), text.size());
}
