// Reads an XML model file strictly, with libxml2's tree parser, for checking
// what the generators write: every element in its place, every number text
// exactly a number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ModelFile {
    std::vector<std::string> meshChildren;  // element names under "mesh", in order
    std::string name;
    std::string path;
    long long numVerts = -1;
    long long numFaces = -1;
    long long numTextures = -1;
    std::vector<std::string> textures;  // texts of the "texture" elements, unchanged
    std::vector<float> verts;           // 3 per vertex element
    std::vector<float> normals;         // 3 per vertex element
    std::vector<float> uvs;             // 2 per vertex element (integer texts)
    std::vector<std::uint32_t> faces;   // 3 per face element
};

// False with a reason when the file is not well-formed or strays from the
// layout the exporter writes.
bool ReadModelFile(const std::string& path, ModelFile& model, std::string& error);
