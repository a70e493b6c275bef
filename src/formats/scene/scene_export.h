// Writes a mesh through the import library's exporter that a format's
// declaration names (model_format.h): OBJ (with a .mtl beside it when the
// mesh names an own texture), binary PLY, binary STL, glTF 2 (.gltf with its
// .bin beside it) and binary glTF 2 (.glb).
#pragma once

#include <string>

#include "formats/model_format.h"
#include "mesh/mesh.h"

// Writes straight to path and the files beside it (WriteModel stages them).
// The mesh's arrays must match its counts. Refused with the library's reason.
WriteResult ExportScene(const Mesh& mesh, const std::string& path, const ModelFormatInfo& format);
