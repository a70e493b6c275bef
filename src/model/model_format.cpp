#include "model/model_format.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

std::string LowerExtension(std::string_view path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

ModelFormat ModelFormatForPath(std::string_view path) {
    const std::string ext = LowerExtension(path);
    if (ext == "xml") return ModelFormat::XML;
    if (ext == "bin") return ModelFormat::BIN;
    return ModelFormat::Unknown;
}

std::string_view ModelFormatName(ModelFormat format) {
    switch (format) {
    case ModelFormat::XML: return "XML";
    case ModelFormat::BIN: return "BIN";
    case ModelFormat::Unknown: break;
    }
    return {};
}

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
