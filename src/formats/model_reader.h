// Reads a model file of a known format into a mesh, without GL: the one
// place that picks the reader for a format, from its declaration
// (model_format.h): its own reader, else the import library's.
#pragma once

#include <string>

#include "formats/model_format.h"
#include "mesh/mesh.h"

// Fills out, which should be fresh. textureHook runs for each own texture
// the file names: while the file is read for a format that says so (XML),
// else once the whole file is read. A format that can't be read (Unknown)
// is refused. options say which files it refers to are read (the import
// library's formats); result.warnings name those left out.
LoadResult ReadModel(const std::string& path, ModelFormat format, Mesh& out, const TextureHook& textureHook = {},
                     const LoadProgress& progress = {}, const ReadOptions& options = {});
