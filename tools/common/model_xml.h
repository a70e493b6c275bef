// Writes a mesh as an XML model file, pretty-printed the way the exporter
// does: one element per line, indented with tabs.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "mesh/mesh.h"

struct ModelLabels {
    std::string name;  // the "name" element
    std::string path;  // the "path" element
};

// The texture list holds mesh.texturePath when mesh.numTextures is non-zero.
// Texture coordinates are written as the nearest integers, since the reader
// takes them as integers. False with a reason when the file can't be written.
bool WriteModelXML(const Mesh& mesh, const ModelLabels& labels, const std::filesystem::path& file, std::string& error);
