// Helpers shared by the model tests: small meshes, exact copies of a mesh's
// state to compare before and after a load.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "support/temp_dir.h"

// A mesh of n vertices and f faces with distinct, non-trivial values
// (indices all below n, so the mesh is valid when n > 0).
inline Mesh MakeMesh(std::uint32_t n, std::int32_t f, std::uint32_t numTextures = 0) {
    Mesh mesh;
    mesh.numVerts = n;
    mesh.numFaces = f;
    mesh.numTextures = numTextures;
    mesh.AllocVerts();
    mesh.AllocNormals();
    mesh.AllocFaces();
    mesh.AllocUVs();
    for (std::size_t i = 0; i < mesh.verts.size(); ++i) mesh.verts[i] = 0.1f * static_cast<float>(i) - 3.3f;
    for (std::size_t i = 0; i < mesh.normals.size(); ++i) mesh.normals[i] = 1.0f / static_cast<float>(i + 1);
    for (std::size_t i = 0; i < mesh.uvs.size(); ++i) mesh.uvs[i] = static_cast<float>(i) * 0.25f;
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) mesh.faces[i] = static_cast<std::uint32_t>((i * 7) % n);
    return mesh;
}

// Everything a load could change, copied byte for byte.
struct MeshSnapshot {
    std::vector<std::uint8_t> verts, normals, faces, uvs;
    std::uint32_t numVerts = 0;
    std::int32_t numFaces = 0;
    std::uint32_t numTextures = 0;
    std::string texturePath;
    const void* vertsAddress = nullptr;

    bool operator==(const MeshSnapshot&) const = default;
};

template <class T>
std::vector<std::uint8_t> BytesOf(const ZeroedArray<T>& array) {
    std::vector<std::uint8_t> bytes(array.size() * sizeof(T));
    if (!bytes.empty()) std::memcpy(bytes.data(), array.data(), bytes.size());
    return bytes;
}

inline MeshSnapshot Snapshot(const Mesh& mesh) {
    return {BytesOf(mesh.verts), BytesOf(mesh.normals), BytesOf(mesh.faces), BytesOf(mesh.uvs), mesh.numVerts,
            mesh.numFaces,       mesh.numTextures,      mesh.texturePath,    mesh.verts.data()};
}
