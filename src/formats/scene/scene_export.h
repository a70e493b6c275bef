// Writes a mesh through the import library's exporter that a format's
// declaration names (model_format.cpp). Some exporters write files beside
// the one named: an OBJ's material library when the mesh names an own
// texture, a glTF file's buffer.
#pragma once

#include <string>
#include <vector>

#include "formats/model_format.h"
#include "formats/staged_output.h"
#include "mesh/mesh.h"

// The names of the files the exporter puts beside path for mesh (the .bin of
// a .gltf, the .mtl of a textured .obj), in path's folder.
std::vector<std::string> SceneCompanions(const std::string& path, const ModelFormatInfo& format, const Mesh& mesh);

// Writes mesh as path, and the files beside it, into output's staging: the
// exporter's only file access is output's new files, each write checked (the
// exporters don't check their own). Nothing is moved into place (that is
// output.Commit). The mesh's arrays must match its counts. Refused with the
// first write's failure, or the library's reason.
WriteResult ExportScene(const Mesh& mesh, StagedOutput& output, const std::string& path,
                        const ModelFormatInfo& format);
