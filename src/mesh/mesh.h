// A model: an indexed triangle mesh with separate,
// tightly packed arrays that go to OpenGL as client arrays with stride 0.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "mesh/load_result.h"
#include "mesh/zeroed_array.h"

// A material of an imported model: its base colour and, optionally, its
// base-colour texture, a file or an image the model holds.
struct Material {
    std::array<float, 4> baseColor{1.0f, 1.0f, 1.0f, 1.0f};  // RGBA, each 0 to 1
    std::string texturePath;                                 // a file; empty for none or an embedded image
    std::int32_t embeddedImage = -1;                         // an index into Mesh::images; -1 for none
};

// A run of faces drawn with one material.
struct MeshPart {
    std::uint32_t firstFace = 0;
    std::uint32_t faceCount = 0;
    std::uint32_t material = 0;  // an index into Mesh::materials
};

class Mesh {
public:
    Mesh() = default;
    Mesh(Mesh&&) noexcept = default;
    Mesh& operator=(Mesh&&) noexcept = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
    // Frees memory only. The GL texture of the own image is not the mesh's:
    // the drawing side holds it (draw/gl_texture.h).
    ~Mesh() = default;

    ZeroedArray<float> verts;          // 3 per vertex
    ZeroedArray<float> normals;        // 3 per vertex
    ZeroedArray<std::uint32_t> faces;  // 3 per face
    ZeroedArray<float> uvs;            // 2 per vertex
    std::uint32_t numVerts = 0;
    std::int32_t numFaces = 0;
    std::uint32_t numTextures = 0;
    std::string texturePath;  // the own image, as the model file gives it

    // The make-up of an imported model (XML and BIN have none): its parts,
    // which cover the faces in order, each with a material; per-vertex
    // colours (4 per vertex, RGBA 0 to 1; empty when the file has none); and
    // the image files the model holds (PNG, JPEG, ...), as bytes.
    std::vector<MeshPart> parts;
    std::vector<Material> materials;
    ZeroedArray<float> colors;
    std::vector<std::vector<std::uint8_t>> images;

    // (Re)allocate an array for the current count, zero-filled. False when
    // the memory can't be had (the array is then empty).
    bool AllocVerts();
    bool AllocNormals();
    bool AllocFaces();
    bool AllocUVs();
    bool AllocColors();

    void Scale(float factor);
    // Moves the centre of the vertices' bounding box to the origin and scales
    // them so that half the box's diagonal is radius. A model with no extent
    // (none or one distinct vertex) is only moved.
    void Fit(float radius);
    void FlipNormals();
    // Unit-length normals; a zero-length normal stays (0, 0, 0).
    void NormalizeNormals();
    std::uint32_t GetNumTextures() const { return numTextures; }
    // Whether the model has a look of its own to show under Model's Own: an
    // own texture, materials or vertex colours.
    bool HasOwnLook() const { return numTextures != 0 || !materials.empty() || !colors.empty(); }
};

// Empty when the make-up fits the mesh's counts, else why not: parts cover
// the faces in order without gaps, each names a material, each material's
// image is one of the mesh's, and colours are 4 per vertex and finite.
std::string CheckMeshLook(const Mesh& mesh);

// The largest value in indices (0 when empty); written so that it vectorises.
std::uint32_t MaxIndex(std::span<const std::uint32_t> indices);

// Whether every value is finite (no exponent of all ones); written so that it
// vectorises.
bool AllFinite(std::span<const float> values);

// Empty when every coordinate in positions (3 per vertex) is finite, else
// the refusal, naming the first vertex that is not: an infinite or NaN
// position leaves the model without bounds, to draw, fit or write.
std::string CheckFinitePositions(std::span<const float> positions);

// Whether the mesh names an own texture (a count and a path): what a reader
// hands its texture hook, and what a writer passes on as a material.
inline bool NamesOwnTexture(const Mesh& mesh) { return mesh.numTextures != 0 && !mesh.texturePath.empty(); }

// The file that a relative asset path (a model's own texture, the default
// model) names: relative to the current directory as always; only when no
// file is there is it tried under fallbackDir (the start-up directory, which
// may be the installed assets). Returns the path unchanged when neither exists.
std::string ResolveAssetPath(const std::string& path, const std::string& fallbackDir);
