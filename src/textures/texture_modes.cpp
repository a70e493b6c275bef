#include "textures/texture_modes.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <vector>

#include "textures/bmp_reader.h"
#include "textures/dds_image.h"
#include "textures/texture_loaders.h"
#include "textures/tga_reader.h"

namespace {

using FileLoader = bool (*)(const std::string& path, unsigned int name, MessageSink& messages);
using CubeLoader = bool (*)(const CubeFacePaths& paths, unsigned int name, MessageSink& messages);

CubeFacePaths Faces(std::span<const std::string> files) {
    CubeFacePaths faces;
    std::copy_n(files.begin(), faces.size(), faces.begin());
    return faces;
}

// The BMP and TGA loaders fill every texture bottom row first.
template <FileLoader Load>
TextureLoad OneFile(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return {.loaded = Load(files.front(), name, messages), .topDown = false};
}

template <CubeLoader Load>
TextureLoad SixFaces(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return {.loaded = Load(Faces(files), name, messages), .topDown = false};
}

template <class Image>
std::string Readable(const ReadResult<Image>& read, std::string_view message) {
    return read ? std::string() : std::string(message);
}

// The directory is taken exactly as recorded, separators and all; a path
// too long for the system fails in the reader like a missing file.
std::vector<std::string> FilePaths(const TextureModeRow& row, const std::string& startupDir) {
    std::vector<std::string> paths;
    for (const std::string_view file : row.files) paths.push_back(startupDir + std::string(file));
    return paths;
}

}  // namespace

namespace test_images {
TextureLoad LoadBMP(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return OneFile<LoadBMPTexture>(files, name, messages);
}
TextureLoad LoadBMPCompressed(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return OneFile<LoadBMPTextureCompressed>(files, name, messages);
}
TextureLoad LoadBMPCube(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return SixFaces<LoadBMPCubeMap>(files, name, messages);
}
TextureLoad LoadTGA(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return OneFile<LoadTGATexture>(files, name, messages);
}
TextureLoad LoadTGACompressed(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return OneFile<LoadTGATextureCompressed>(files, name, messages);
}
TextureLoad LoadDDS(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return LoadDDSTexture(files.front(), name, messages);
}
TextureLoad LoadDDSCube(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return LoadDDSCubeMap(Faces(files), name, messages);
}
std::string ReadsAsBMP(const std::string& path, std::string_view message) { return Readable(ReadBMP(path), message); }
std::string ReadsAsTGA(const std::string& path, std::string_view message) { return Readable(ReadTGA(path), message); }
std::string ReadsAsDDS(const std::string& path, std::string_view message) { return ReadDDSFile(path, message).message; }
}  // namespace test_images

std::string_view TextureModeName(TextureMode mode) {
    const auto index = static_cast<std::size_t>(mode);
    return index < kTextureModes.size() ? kTextureModes[index].name : std::string_view{};
}

TextureLoad ReloadTestTexture(TextureMode mode, const std::string& startupDir, unsigned int& testTexture,
                              MessageSink& messages) {
    // A fresh name each time, so that a 2D image never goes into a former
    // cube map or the other way round.
    if (testTexture != 0) glDeleteTextures(1, &testTexture);
    testTexture = 0;
    glGenTextures(1, &testTexture);

    // The loaders report their own failures; the mode keeps the empty texture then.
    const TextureModeRow& row = TextureModeRowOf(mode);
    return row.load != nullptr ? row.load(FilePaths(row, startupDir), testTexture, messages) : TextureLoad{};
}

bool CheckTestTexture(TextureMode mode, const std::string& startupDir, MessageSink& messages) {
    // Like the loaders, the first file that fails ends the check.
    const TextureModeRow& row = TextureModeRowOf(mode);
    if (row.check == nullptr) return true;
    for (const std::string& path : FilePaths(row, startupDir)) {
        if (const std::string shown = row.check(path, row.message); !shown.empty()) {
            messages.ShowMessage(shown, kErrorCaption);
            return false;
        }
    }
    return true;
}
