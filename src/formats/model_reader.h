// Reads a model file of a known format into a mesh, without GL: the one
// place that picks the reader for a format.
#pragma once

#include <string>

#include "mesh/mesh.h"
#include "formats/xml/mesh_content_handler.h"
#include "formats/model_format.h"

// Fills out, which should be fresh. textureHook runs for each own texture
// a file names (XML, and the formats of the import library). An Unknown
// format is refused.
LoadResult ReadModel(const std::string& path, ModelFormat format, Mesh& out, const TextureHook& textureHook = {},
                     const LoadProgress& progress = {});
