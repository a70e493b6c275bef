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

// Writes mesh to path in format: creates or replaces path and nothing else,
// or fails and changes nothing. Every file is written unnamed or under a
// temporary name in path's folder (staged_output.h), each write checked (the
// import library's writers go through our file access, since they don't
// check their own), flushed to disk and renamed into place only once
// complete; a file that replaces another keeps that file's mode. A file
// written beside path (the .bin of a .gltf, the .mtl of a textured .obj)
// never replaces one: where its name is taken, the write is refused before
// anything is written.
// False with the reason when the mesh's arrays don't match its counts, a
// companion's name is taken, or a file can't be written in full (a full
// disk, a write limit, an I/O error).
bool WriteModel(const Mesh& mesh, const std::string& path, ModelFileFormat format, std::string& error);
