// The one rule for which reader or writer a file goes to: by its extension,
// in any letter case. The viewer, the model report, the converter, the own-
// texture loader, the tools and the benchmarks all ask here, so they cannot
// drift apart; a new format is added to the table in model_format.cpp first.
#pragma once

#include <span>
#include <string>
#include <string_view>

enum class ModelFormat { XML, BIN, OBJ, PLY, STL, GLTF, GLB, FBX, DAE, Unknown };
enum class OwnTextureFormat { BMP, TGA, Unknown };

// The text after the last dot of the file name, lower-cased; empty without one.
std::string LowerExtension(std::string_view path);

ModelFormat ModelFormatForPath(std::string_view path);
// "XML", "BIN", "OBJ", "PLY", "STL", "glTF 2", "glTF 2 binary", "FBX", "COLLADA"; "" for Unknown.
std::string_view ModelFormatName(ModelFormat format);

// One readable format with the extensions that name it (the file dialog's filters).
struct ModelFormatInfo {
    ModelFormat format;
    std::string_view name;
    std::span<const std::string_view> extensions;
};
std::span<const ModelFormatInfo> ReadableModelFormats();

// The format of a model's own texture, named by the model file: by the
// path's last three characters, in any case.
OwnTextureFormat OwnTextureFormatForPath(std::string_view path);
// "BMP", "TGA"; "" for Unknown.
std::string_view OwnTextureFormatName(OwnTextureFormat format);
