#include "formats/scene/scene_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <exception>
#include <memory>

namespace {

// The exporter's id for the format, which for OBJ depends on the own texture.
std::string ExporterId(const ModelFormatInfo& format, const Mesh& mesh) {
    const ImportLibraryNames& names = format.library;
    return std::string(NamesOwnTexture(mesh) && !names.texturedExporter.empty() ? names.texturedExporter
                                                                                : names.exporter);
}

// The mesh as a scene of one node, one mesh and one material (with the own
// texture as its diffuse texture). The scene's destructor frees every array.
std::unique_ptr<aiScene> SceneOf(const Mesh& mesh) {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode("model");
    scene->mRootNode->mNumMeshes = 1;
    scene->mRootNode->mMeshes = new unsigned[1]{0};

    auto* material = new aiMaterial;
    const aiString name("material");
    material->AddProperty(&name, AI_MATKEY_NAME);
    if (NamesOwnTexture(mesh)) {
        const aiString texture(mesh.texturePath);
        material->AddProperty(&texture, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial* [1] { material };

    auto* out = new aiMesh;
    scene->mNumMeshes = 1;
    scene->mMeshes = new aiMesh* [1] { out };
    out->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    out->mMaterialIndex = 0;
    const std::size_t n = mesh.numVerts;
    out->mNumVertices = mesh.numVerts;
    out->mVertices = new aiVector3D[n];
    out->mNormals = new aiVector3D[n];
    out->mTextureCoords[0] = new aiVector3D[n];
    out->mNumUVComponents[0] = 2;
    for (std::size_t i = 0; i < n; ++i) {
        out->mVertices[i] = {mesh.verts[3 * i], mesh.verts[3 * i + 1], mesh.verts[3 * i + 2]};
        out->mNormals[i] = {mesh.normals[3 * i], mesh.normals[3 * i + 1], mesh.normals[3 * i + 2]};
        out->mTextureCoords[0][i] = {mesh.uvs[2 * i], mesh.uvs[2 * i + 1], 0.0f};
    }
    const std::size_t f = static_cast<std::uint32_t>(mesh.numFaces);
    out->mNumFaces = static_cast<unsigned>(f);
    out->mFaces = new aiFace[f];
    for (std::size_t i = 0; i < f; ++i) {
        aiFace& face = out->mFaces[i];
        face.mNumIndices = 3;
        face.mIndices = new unsigned[3]{mesh.faces[3 * i], mesh.faces[3 * i + 1], mesh.faces[3 * i + 2]};
    }
    // Vertices are shared between faces, as the exporters expect of an indexed mesh.
    scene->mFlags |= AI_SCENE_FLAGS_NON_VERBOSE_FORMAT;
    return scene;
}

}  // namespace

WriteResult ExportScene(const Mesh& mesh, const std::string& path, const ModelFormatInfo& format) {
    const std::string id = ExporterId(format, mesh);
    if (id.empty()) return WriteResult::Failure("the export library writes no " + std::string(format.name) + " files");
    try {
        const std::unique_ptr<aiScene> scene = SceneOf(mesh);
        Assimp::Exporter exporter;
        if (exporter.Export(scene.get(), id, path) == aiReturn_SUCCESS) return WriteResult::Success();
        const char* why = exporter.GetErrorString();
        return WriteResult::Failure(why && *why ? why : "the export library could not write " + path);
    } catch (const std::exception& e) {
        return WriteResult::Failure(std::string("the export library failed: ") + e.what());
    }
}
