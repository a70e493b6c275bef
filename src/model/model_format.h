// The one rule for which reader a file goes to: by its extension, in any
// letter case. The viewer, the model report, the own-texture loader, the
// tools and the benchmarks all ask here, so they cannot drift apart; a new
// format is added here first.
#pragma once

#include <string>
#include <string_view>

enum class ModelFormat { XML, BIN, Unknown };
enum class OwnTextureFormat { BMP, TGA, Unknown };

// The text after the last dot of the file name, lower-cased; empty without one.
std::string LowerExtension(std::string_view path);

ModelFormat ModelFormatForPath(std::string_view path);
// "XML", "BIN"; "" for Unknown.
std::string_view ModelFormatName(ModelFormat format);

// The format of a model's own texture, named by the model file: by the
// path's last three characters, in any case.
OwnTextureFormat OwnTextureFormatForPath(std::string_view path);
// "BMP", "TGA"; "" for Unknown.
std::string_view OwnTextureFormatName(OwnTextureFormat format);
