// A model: an indexed triangle mesh with separate,
// tightly packed arrays that go to OpenGL as client arrays with stride 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "mesh/load_result.h"
#include "mesh/zeroed_array.h"

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

    // (Re)allocate an array for the current count, zero-filled. False when
    // the memory can't be had (the array is then empty).
    bool AllocVerts();
    bool AllocNormals();
    bool AllocFaces();
    bool AllocUVs();

    void Scale(float factor);
    // Moves the centre of the vertices' bounding box to the origin and scales
    // them so that half the box's diagonal is radius. A model with no extent
    // (none or one distinct vertex) is only moved.
    void Fit(float radius);
    void FlipNormals();
    // Unit-length normals; a zero-length normal stays (0, 0, 0).
    void NormalizeNormals();
    std::uint32_t GetNumTextures() const { return numTextures; }
};

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
