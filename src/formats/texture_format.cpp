#include "formats/texture_format.h"

#include <algorithm>
#include <cctype>
#include <string>

OwnTextureFormat OwnTextureFormatForPath(std::string_view path) {
    // The last three characters, dot or not.
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
