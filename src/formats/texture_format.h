// The format of a model's own texture, named by the model file: by the
// path's last three characters, in any letter case, as model files have
// always been read.
#pragma once

#include <string_view>

enum class OwnTextureFormat { BMP, TGA, Unknown };

OwnTextureFormat OwnTextureFormatForPath(std::string_view path);
// "BMP", "TGA"; "" for Unknown.
std::string_view OwnTextureFormatName(OwnTextureFormat format);
