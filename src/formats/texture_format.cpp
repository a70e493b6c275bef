#include "formats/texture_format.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {
// The last count characters in lower case, or "" when the path is shorter.
std::string LowerTail(std::string_view path, std::size_t count) {
    if (path.size() < count) return {};
    std::string tail(path.substr(path.size() - count));
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail;
}
}  // namespace

OwnTextureFormat OwnTextureFormatForPath(std::string_view path) {
    // The last characters, dot or not.
    const std::string tail = LowerTail(path, 3);
    if (tail == "bmp") return OwnTextureFormat::BMP;
    if (tail == "tga") return OwnTextureFormat::TGA;
    if (tail == "png") return OwnTextureFormat::PNG;
    if (tail == "jpg" || LowerTail(path, 4) == "jpeg") return OwnTextureFormat::JPEG;
    return OwnTextureFormat::Unknown;
}

std::string_view OwnTextureFormatName(OwnTextureFormat format) {
    switch (format) {
    case OwnTextureFormat::BMP: return "BMP";
    case OwnTextureFormat::TGA: return "TGA";
    case OwnTextureFormat::PNG: return "PNG";
    case OwnTextureFormat::JPEG: return "JPEG";
    case OwnTextureFormat::Unknown: break;
    }
    return {};
}
