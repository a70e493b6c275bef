// Writes a mesh through the import library's exporter that a format's
// declaration names (model_format.cpp). Some exporters write files beside
// the one named: an OBJ's material library when the mesh names an own
// texture, a glTF file's buffer.
#pragma once

#include <string>

#include "formats/model_format.h"
#include "mesh/mesh.h"

// Writes straight to path and the files beside it (WriteModel stages them).
// The mesh's arrays must match its counts. Refused with the library's reason.
WriteResult ExportScene(const Mesh& mesh, const std::string& path, const ModelFormatInfo& format);
