#include "textures/texture_modes.h"

#include <epoxy/gl.h>

#include <array>
#include <span>

#include "textures/bmp_reader.h"
#include "textures/dds_image.h"
#include "textures/loader_messages.h"
#include "textures/texture_loaders.h"
#include "textures/tga_reader.h"

namespace {
constexpr std::array<std::string_view, 9> kModeNames = {
    "Off", "BMP", "BMPCompressed", "TGA", "TGACompressed", "DDS", "BMPCubemap", "DDSCubemap", "ModelsOwn"};

constexpr std::string_view kSphereMapBMP = "/Assets/spheremap.bmp";
constexpr std::string_view kSphereMapTGA = "/Assets/spheremap.tga";
constexpr std::string_view kSphereMapDDS = "/Assets/spheremap.dds";
// Faces in the order +X, -X, +Y, -Y, +Z, -Z.
constexpr std::array<std::string_view, 6> kCubeFacesBMP = {"/Assets/Terrain_posx.bmp", "/Assets/Terrain_negx.bmp",
                                                           "/Assets/Terrain_posy.bmp", "/Assets/Terrain_negy.bmp",
                                                           "/Assets/Terrain_posz.bmp", "/Assets/Terrain_negz.bmp"};
constexpr std::array<std::string_view, 6> kCubeFacesDDS = {"/Assets/cube_face_posx.dds", "/Assets/cube_face_negx.dds",
                                                           "/Assets/cube_face_posy.dds", "/Assets/cube_face_negy.dds",
                                                           "/Assets/cube_face_posz.dds", "/Assets/cube_face_negz.dds"};

// The directory is taken exactly as recorded, separators and all; a path
// too long for the system fails in the reader like a missing file.
std::string AssetPath(const std::string& startupDir, std::string_view suffix) {
    std::string path = startupDir;
    path += suffix;
    return path;
}

CubeFacePaths FacePaths(const std::string& startupDir, const std::array<std::string_view, 6>& suffixes) {
    CubeFacePaths paths;
    for (std::size_t i = 0; i < paths.size(); ++i) paths[i] = AssetPath(startupDir, suffixes[i]);
    return paths;
}
// The files of mode's test image under the start-up directory; none for Off and ModelsOwn.
std::span<const std::string_view> FileSuffixes(int mode) {
    switch (mode) {
    case BMP:
    case BMPCompressed: return {&kSphereMapBMP, 1};
    case TGA:
    case TGACompressed: return {&kSphereMapTGA, 1};
    case DDS: return {&kSphereMapDDS, 1};
    case BMPCubemap: return kCubeFacesBMP;
    case DDSCubemap: return kCubeFacesDDS;
    default: return {};
    }
}

// Whether the reader of mode's image format takes the file, as its loader's would.
bool Readable(int mode, const std::string& path) {
    switch (mode) {
    case BMP:
    case BMPCompressed:
    case BMPCubemap: return static_cast<bool>(ReadBMP(path));
    case TGA:
    case TGACompressed: return static_cast<bool>(ReadTGA(path));
    default: return static_cast<bool>(ReadDDS(path));
    }
}

// What the mode's loader says of a file it can't read.
std::string_view NotFoundText(int mode) {
    switch (mode) {
    case BMP:
    case BMPCompressed: return kBMPNotFound;
    case BMPCubemap: return kBMPCubeNotFound;
    case TGA:
    case TGACompressed: return kTGANotFound;
    case DDSCubemap: return kDDSCubeNotFound;
    default: return kDDSNotFound;
    }
}
}  // namespace

std::string_view TextureModeName(int mode) {
    if (mode < 0 || mode >= static_cast<int>(kModeNames.size())) return {};
    return kModeNames[static_cast<std::size_t>(mode)];
}

void ReloadTestTexture(int mode, const std::string& startupDir, unsigned int& testTexture, MessageSink& messages) {
    // A fresh name each time, so that a 2D image never goes into a former
    // cube map or the other way round.
    if (testTexture != 0) glDeleteTextures(1, &testTexture);
    testTexture = 0;
    glGenTextures(1, &testTexture);

    // The loaders report their own failures; the mode keeps the empty texture then.
    switch (mode) {
    case BMP: LoadBMPTexture(AssetPath(startupDir, kSphereMapBMP), testTexture, messages); break;
    case BMPCompressed: LoadBMPTextureCompressed(AssetPath(startupDir, kSphereMapBMP), testTexture, messages); break;
    case TGA: LoadTGATexture(AssetPath(startupDir, kSphereMapTGA), testTexture, messages); break;
    case TGACompressed: LoadTGATextureCompressed(AssetPath(startupDir, kSphereMapTGA), testTexture, messages); break;
    case DDS: LoadDDSTexture(AssetPath(startupDir, kSphereMapDDS), testTexture, messages); break;
    case BMPCubemap: LoadBMPCubeMap(FacePaths(startupDir, kCubeFacesBMP), testTexture, messages); break;
    case DDSCubemap: LoadDDSCubeMap(FacePaths(startupDir, kCubeFacesDDS), testTexture, messages); break;
    default: break;
    }
}

bool CheckTestTexture(int mode, const std::string& startupDir, MessageSink& messages) {
    // Like the loaders, the first file that fails ends the check.
    for (const std::string_view suffix : FileSuffixes(mode)) {
        if (!Readable(mode, AssetPath(startupDir, suffix))) {
            messages.ShowMessage(NotFoundText(mode), kErrorCaption);
            return false;
        }
    }
    return true;
}
