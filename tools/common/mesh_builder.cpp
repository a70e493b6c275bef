#include "mesh_builder.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "common/model_text.h"

namespace {

void Push3(std::vector<float>& out, const Vec3d& v) {
    out.push_back(RoundAsText(static_cast<float>(v.x)));
    out.push_back(RoundAsText(static_cast<float>(v.y)));
    out.push_back(RoundAsText(static_cast<float>(v.z)));
}

}  // namespace

void MeshBuilder::Reserve(std::size_t vertices, std::size_t triangles) {
    verts_.reserve(3 * vertices);
    normals_.reserve(3 * vertices);
    uvs_.reserve(2 * vertices);
    faces_.reserve(3 * triangles);
}

std::uint32_t MeshBuilder::AddVertex(const Vec3d& position, const Vec3d& normal, int u, int v) {
    const auto index = static_cast<std::uint32_t>(VertexCount());
    Push3(verts_, position);
    Push3(normals_, normal);
    uvs_.push_back(static_cast<float>(u));
    uvs_.push_back(static_cast<float>(v));
    return index;
}

void MeshBuilder::AddTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const auto n = VertexCount();
    if (a >= n || b >= n || c >= n) {
        throw std::out_of_range("triangle refers to a vertex not yet added");
    }
    faces_.insert(faces_.end(), {a, b, c});
}

Mesh MeshBuilder::Build(const std::string& texturePath) const {
    Mesh mesh;
    mesh.numVerts = static_cast<std::uint32_t>(VertexCount());
    mesh.numFaces = static_cast<std::int32_t>(faces_.size() / 3);
    mesh.numTextures = texturePath.empty() ? 0 : 1;
    mesh.texturePath = texturePath;
    if (!mesh.AllocVerts() || !mesh.AllocNormals() || !mesh.AllocFaces() || !mesh.AllocUVs()) {
        throw std::bad_alloc();
    }
    std::copy(verts_.begin(), verts_.end(), mesh.verts.begin());
    std::copy(normals_.begin(), normals_.end(), mesh.normals.begin());
    std::copy(uvs_.begin(), uvs_.end(), mesh.uvs.begin());
    std::copy(faces_.begin(), faces_.end(), mesh.faces.begin());
    return mesh;
}
