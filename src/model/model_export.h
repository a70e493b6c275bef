// Writes a mesh to a model file of any output format. The formats other than
// XML and BIN go through the import library's exporters: OBJ (with a .mtl
// beside it when the mesh has an own texture), binary PLY, binary STL, glTF 2
// (.gltf with its .bin beside it) and binary glTF 2 (.glb).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/mesh.h"

enum class ModelFileFormat { Xml, Bin, Obj, Ply, Stl, Gltf, Glb };

// The output format the format rule (model_format.h) gives a path: .xml,
// .bin, .obj, .ply, .stl, .gltf, .glb in any letter case; nothing for others.
std::optional<ModelFileFormat> ModelFileFormatOf(std::string_view path);

// Writes mesh to path in format. Everything is written under temporary names
// in path's folder and renamed into place only once complete: a failed write
// leaves no new file behind, and an existing file at path stays as it was.
// A file written beside path (the .bin of a .gltf, the .mtl of an .obj) never
// replaces one: where its name is taken, the write is refused and the folder
// stays as it was.
// False with the reason when the mesh's arrays don't match its counts or a
// file can't be written.
bool WriteModel(const Mesh& mesh, const std::string& path, ModelFileFormat format, std::string& error);
