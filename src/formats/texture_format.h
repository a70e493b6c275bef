// The format of a model's own texture, named by the model file: by the
// path's last three characters ("jpeg": four), in any letter case, as model
// files have always been read.
#pragma once

#include <string_view>

enum class OwnTextureFormat { BMP, TGA, PNG, JPEG, Unknown };

OwnTextureFormat OwnTextureFormatForPath(std::string_view path);
// "BMP", "TGA", "PNG", "JPEG"; "" for Unknown.
std::string_view OwnTextureFormatName(OwnTextureFormat format);
