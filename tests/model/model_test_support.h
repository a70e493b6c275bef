// Helpers shared by the model tests: small meshes, exact copies of a mesh's
// state to compare before and after a load, and a scratch folder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "model/mesh.h"

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
    unsigned int texture = 0;
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
    return {BytesOf(mesh.verts), BytesOf(mesh.normals), BytesOf(mesh.faces), BytesOf(mesh.uvs),
            mesh.numVerts,       mesh.numFaces,         mesh.numTextures,    mesh.texture,
            mesh.texturePath,    mesh.verts.data()};
}

// A folder under the system's temporary directory, removed with its contents.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessa-model-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Writes bytes to a file, replacing it.
bool WriteFile(const std::string& path, const void* data, std::size_t size);
inline bool WriteFile(const std::string& path, const std::string& text) {
    return WriteFile(path, text.data(), text.size());
}
// A file's bytes; empty when it can't be read.
std::string ReadText(const std::string& path);
