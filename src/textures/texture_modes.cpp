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

template <FileLoader Load>
bool OneFile(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return Load(files.front(), name, messages);
}

template <CubeLoader Load>
bool SixFaces(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    CubeFacePaths faces;
    std::copy_n(files.begin(), faces.size(), faces.begin());
    return Load(faces, name, messages);
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
bool LoadBMP(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return OneFile<LoadBMPTexture>(files, name, messages);
}
bool LoadBMPCompressed(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return OneFile<LoadBMPTextureCompressed>(files, name, messages);
}
bool LoadBMPCube(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return SixFaces<LoadBMPCubeMap>(files, name, messages);
}
bool LoadTGA(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return OneFile<LoadTGATexture>(files, name, messages);
}
bool LoadTGACompressed(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return OneFile<LoadTGATextureCompressed>(files, name, messages);
}
bool LoadDDS(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return OneFile<LoadDDSTexture>(files, name, messages);
}
bool LoadDDSCube(std::span<const std::string> files, unsigned int name, MessageSink& messages) {
    return SixFaces<LoadDDSCubeMap>(files, name, messages);
}
bool ReadsAsBMP(const std::string& path) { return static_cast<bool>(ReadBMP(path)); }
bool ReadsAsTGA(const std::string& path) { return static_cast<bool>(ReadTGA(path)); }
bool ReadsAsDDS(const std::string& path) { return static_cast<bool>(ReadDDS(path)); }
}  // namespace test_images

std::string_view TextureModeName(TextureMode mode) {
    const auto index = static_cast<std::size_t>(mode);
    return index < kTextureModes.size() ? kTextureModes[index].name : std::string_view{};
}

void ReloadTestTexture(TextureMode mode, const std::string& startupDir, unsigned int& testTexture,
                       MessageSink& messages) {
    // A fresh name each time, so that a 2D image never goes into a former
    // cube map or the other way round.
    if (testTexture != 0) glDeleteTextures(1, &testTexture);
    testTexture = 0;
    glGenTextures(1, &testTexture);

    // The loaders report their own failures; the mode keeps the empty texture then.
    const TextureModeRow& row = TextureModeRowOf(mode);
    if (row.load != nullptr) row.load(FilePaths(row, startupDir), testTexture, messages);
}

bool CheckTestTexture(TextureMode mode, const std::string& startupDir, MessageSink& messages) {
    // Like the loaders, the first file that fails ends the check.
    const TextureModeRow& row = TextureModeRowOf(mode);
    if (row.check == nullptr) return true;
    for (const std::string& path : FilePaths(row, startupDir)) {
        if (!row.check(path)) {
            messages.ShowMessage(row.message, kErrorCaption);
            return false;
        }
    }
    return true;
}
