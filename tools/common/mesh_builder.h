// Collects vertices and triangles and hands them over as a Mesh. Positions
// and normals are rounded as the XML text will hold them (RoundAsText), so
// the XML and the BIN form of a generated mesh carry the same numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/vector_math.h"
#include "mesh/mesh.h"

class MeshBuilder {
public:
    void Reserve(std::size_t vertices, std::size_t triangles);
    // Returns the new vertex's index. The normal is stored as given.
    std::uint32_t AddVertex(const Vec3d& position, const Vec3d& normal, int u, int v);
    void AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);
    std::size_t VertexCount() const { return verts_.size() / 3; }

    // The finished mesh; numTextures is 1 with texturePath when a texture
    // is named, else 0. Throws std::bad_alloc when the arrays can't be had.
    Mesh Build(const std::string& texturePath = {}) const;

private:
    std::vector<float> verts_;
    std::vector<float> normals_;
    std::vector<float> uvs_;
    std::vector<std::uint32_t> faces_;
};
