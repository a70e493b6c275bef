#include "formats/model_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <exception>
#include <memory>

#include "formats/model_format.h"
#include "formats/bin/bin_format.h"
#include "mesh/mesh_limits.h"
#include "formats/staged_output.h"
#include "formats/xml/xml_writer.h"

namespace {

// The exporter's id for each format the library writes.
const char* ExporterId(ModelFileFormat format, const Mesh& mesh) {
    switch (format) {
    case ModelFileFormat::Obj: return NamesOwnTexture(mesh) ? "obj" : "objnomtl";
    case ModelFileFormat::Ply: return "plyb";
    case ModelFileFormat::Stl: return "stlb";
    case ModelFileFormat::Gltf: return "gltf2";
    case ModelFileFormat::Glb: return "glb2";
    case ModelFileFormat::Xml:
    case ModelFileFormat::Bin: break;
    }
    return nullptr;
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

bool Export(const Mesh& mesh, const std::string& path, ModelFileFormat format, std::string& error) {
    try {
        const std::unique_ptr<aiScene> scene = SceneOf(mesh);
        Assimp::Exporter exporter;
        if (exporter.Export(scene.get(), ExporterId(format, mesh), path) == aiReturn_SUCCESS) return true;
        const char* why = exporter.GetErrorString();
        error = why && *why ? why : "the export library could not write " + path;
    } catch (const std::exception& e) {
        error = std::string("the export library failed: ") + e.what();
    }
    return false;
}

}  // namespace

std::optional<ModelFileFormat> ModelFileFormatOf(std::string_view path) {
    switch (ModelFormatForPath(path)) {
    case ModelFormat::XML: return ModelFileFormat::Xml;
    case ModelFormat::BIN: return ModelFileFormat::Bin;
    case ModelFormat::OBJ: return ModelFileFormat::Obj;
    case ModelFormat::PLY: return ModelFileFormat::Ply;
    case ModelFormat::STL: return ModelFileFormat::Stl;
    case ModelFormat::GLTF: return ModelFileFormat::Gltf;
    case ModelFormat::GLB: return ModelFileFormat::Glb;
    case ModelFormat::FBX:
    case ModelFormat::DAE:
    case ModelFormat::Unknown: break;
    }
    return std::nullopt;
}

bool WriteModel(const Mesh& mesh, const std::string& path, ModelFileFormat format, std::string& error) {
    if (std::string why = CheckMeshArrays(mesh); !why.empty()) {
        error = std::move(why);
        return false;
    }
    StagedOutput staged(path);
    if (!staged.Ready()) {
        error = staged.Error();
        return false;
    }
    const std::string target = staged.Path();
    const bool written = format == ModelFileFormat::Xml   ? WriteXML(mesh, target, error)
                         : format == ModelFileFormat::Bin ? WriteBIN(mesh, target, error)
                                                          : Export(mesh, target, format, error);
    return written && staged.Commit(error);
}
