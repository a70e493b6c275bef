#include "formats/model_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace {

constexpr std::string_view kXml[] = {"xml"};
constexpr std::string_view kBin[] = {"bin"};
constexpr std::string_view kObj[] = {"obj"};
constexpr std::string_view kPly[] = {"ply"};
constexpr std::string_view kStl[] = {"stl"};
constexpr std::string_view kGltf[] = {"gltf"};
constexpr std::string_view kGlb[] = {"glb"};
constexpr std::string_view kFbx[] = {"fbx"};
constexpr std::string_view kDae[] = {"dae"};

constexpr std::array<ModelFormatInfo, 9> kFormats{{
    {ModelFormat::XML, "XML", kXml},
    {ModelFormat::BIN, "BIN", kBin},
    {ModelFormat::OBJ, "OBJ", kObj},
    {ModelFormat::PLY, "PLY", kPly},
    {ModelFormat::STL, "STL", kStl},
    {ModelFormat::GLTF, "glTF 2", kGltf},
    {ModelFormat::GLB, "glTF 2 binary", kGlb},
    {ModelFormat::FBX, "FBX", kFbx},
    {ModelFormat::DAE, "COLLADA", kDae},
}};

}  // namespace

std::string LowerExtension(std::string_view path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

ModelFormat ModelFormatForPath(std::string_view path) {
    const std::string ext = LowerExtension(path);
    for (const ModelFormatInfo& info : kFormats)
        if (std::find(info.extensions.begin(), info.extensions.end(), ext) != info.extensions.end()) return info.format;
    return ModelFormat::Unknown;
}

std::string_view ModelFormatName(ModelFormat format) {
    for (const ModelFormatInfo& info : kFormats)
        if (info.format == format) return info.name;
    return {};
}

std::span<const ModelFormatInfo> ReadableModelFormats() { return kFormats; }

OwnTextureFormat OwnTextureFormatForPath(std::string_view path) {
    // The last three characters, dot or not, as model files have always been read.
    if (path.size() < 3) return OwnTextureFormat::Unknown;
    std::string tail(path.substr(path.size() - 3));
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (tail == "bmp") return OwnTextureFormat::BMP;
    if (tail == "tga") return OwnTextureFormat::TGA;
    return OwnTextureFormat::Unknown;
}

std::string_view OwnTextureFormatName(OwnTextureFormat format) {
    switch (format) {
    case OwnTextureFormat::BMP: return "BMP";
    case OwnTextureFormat::TGA: return "TGA";
    case OwnTextureFormat::Unknown: break;
    }
    return {};
}
