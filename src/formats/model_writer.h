// Writes a mesh to a model file of any format that can be written: the one
// place that picks the writer for a format, from its declaration
// (model_format.h): its own writer, else the import library's exporter.
#pragma once

#include <string>

#include "formats/model_format.h"
#include "mesh/mesh.h"

// Writes mesh to path in format. Everything is written under temporary names
// in path's folder and renamed into place only once complete: a failed write
// leaves no new file behind, and an existing file at path stays as it was.
// A file written beside path (the companion an exporter adds) never
// replaces one: where its name is taken, the write is refused and the folder
// stays as it was.
// Refused with the reason when the format can't be written, the mesh's arrays
// don't match its counts or a file can't be written.
WriteResult WriteModel(const Mesh& mesh, const std::string& path, ModelFormat format);
