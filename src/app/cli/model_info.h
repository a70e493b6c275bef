// What an asset author checks in a model file, found without any window or
// GL: ReadModel reads the model, and the own texture is checked with the
// image readers instead of being uploaded.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "mesh/mesh.h"

struct TextureCheck {
    std::string path;  // as the model names it
    std::string file;  // the file that was read (after resolving a relative path)
    bool loads = false;
    std::string format;  // "BMP" or "TGA" when it loads
    int width = 0;
    int height = 0;
    std::string reason;  // why it doesn't load
};

// A material of an imported model, as --info shows it.
struct MaterialInfo {
    std::array<float, 4> color{};
    std::int32_t embeddedImage = -1;  // the model's image it shows, or -1
    std::uint64_t embeddedBytes = 0;
    std::optional<TextureCheck> file;  // the texture file it names, checked
};

struct ModelInfo {
    std::string path;
    std::string format;          // the name of the format it was read in (ModelFormatName)
    bool extensionKnown = true;  // false: read as BIN, as the viewer offers
    LoadResult result;           // refused when !result.ok
    std::uint32_t numVerts = 0;
    std::int32_t numFaces = 0;
    std::uint32_t numTextures = 0;  // as the viewer ends up with it
    std::array<float, 3> min{};     // bounds of the positions (zero without vertices)
    std::array<float, 3> max{};
    std::uint64_t nonUnitNormals = 0;  // length not within 1e-3 of 1 (zero ones excluded)
    std::uint64_t zeroNormals = 0;
    std::uint64_t degenerateFaces = 0;   // two corners on the same vertex
    std::vector<TextureCheck> textures;  // every texture the file names, in order; the last counts
    std::size_t parts = 0;               // of an imported model with materials
    std::vector<MaterialInfo> materials;
    bool vertexColors = false;
    std::vector<std::string> warnings;   // what the viewer accepts but shows oddly

    bool Refused() const { return !result.ok; }
};

// Reads and checks the model at path. A relative texture path is looked up
// in the current directory first and then under startupDir, as the viewer does.
// options say which files the model refers to are read; those left out are
// warnings.
ModelInfo InspectModel(const std::string& path, const std::string& startupDir, const ReadOptions& options = {});

// The report, one "name: value" line per fact, problems last.
void PrintModelInfo(const ModelInfo& info, std::ostream& out);
