#include "model/model_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <exception>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

#include "model/model_format.h"
#include "model/bin_format.h"
#include "model/mesh_limits.h"
#include "model/staged_output.h"
#include "model/xml_writer.h"

namespace {

bool HasOwnTexture(const Mesh& mesh) { return mesh.numTextures != 0 && !mesh.texturePath.empty(); }

// The exporter's id for each format the library writes.
const char* ExporterId(ModelFileFormat format, const Mesh& mesh) {
    switch (format) {
    case ModelFileFormat::Obj: return HasOwnTexture(mesh) ? "obj" : "objnomtl";
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
    if (HasOwnTexture(mesh)) {
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

// One staged file as the import library's writers see it: every write is
// checked by the file itself, which they can't skip (most ignore the count
// this returns). The first failure is kept as the reason, since the writers
// that do notice give none.
class StagedStream final : public Assimp::IOStream {
public:
    StagedStream(StagedFile& file, std::string& failure) : file_(file), failure_(failure) {}

    size_t Read(void*, size_t, size_t) override { return 0; }
    size_t Write(const void* data, size_t size, size_t count) override {
        if (size == 0 || count == 0) return 0;
        if (count > std::numeric_limits<size_t>::max() / size) return 0;
        if (file_.Write({static_cast<const std::uint8_t*>(data), size * count})) return count;
        if (failure_.empty()) failure_ = file_.Failure();
        return 0;
    }
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        // The offset is negative (in two's complement) from the end.
        const std::uint64_t base = origin == aiOrigin_CUR ? file_.Tell() : origin == aiOrigin_END ? file_.Size() : 0;
        return file_.Seek(base + offset) ? aiReturn_SUCCESS : aiReturn_FAILURE;
    }
    size_t Tell() const override { return file_.Tell(); }
    size_t FileSize() const override { return file_.Size(); }
    void Flush() override {}

private:
    StagedFile& file_;
    std::string& failure_;
};

// The only file access the import library's writers get: new files in the
// output's staging and nothing else. No reading, no folders, no removing.
class StagedFiles final : public Assimp::IOSystem {
public:
    // refused receives the first reason a file could not be opened or written.
    StagedFiles(StagedOutput& output, std::string& refused) : output_(output), refused_(refused) {}

    bool Exists(const char* file) const override {
        struct stat st;
        return lstat(file, &st) == 0;
    }
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        if (std::string_view(mode).find('w') == std::string_view::npos) {
            if (refused_.empty()) refused_ = std::string("the exporter asked to read ") + file;
            return nullptr;
        }
        const StagedOutput::Opened opened = output_.Open(file);
        if (!opened.file) {
            if (refused_.empty()) refused_ = opened.reason;
            return nullptr;
        }
        return new StagedStream(*opened.file, refused_);
    }
    void Close(Assimp::IOStream* stream) override { delete stream; }
    bool CreateDirectory(const std::string&) override { return false; }
    bool ChangeDirectory(const std::string&) override { return false; }
    bool DeleteFile(const std::string&) override { return false; }

private:
    StagedOutput& output_;
    std::string& refused_;
};

bool Export(const Mesh& mesh, StagedOutput& output, const std::string& path, ModelFileFormat format,
            std::string& error) {
    std::string refused;
    try {
        const std::unique_ptr<aiScene> scene = SceneOf(mesh);
        Assimp::Exporter exporter;
        exporter.SetIOHandler(new StagedFiles(output, refused));  // the exporter owns it
        if (exporter.Export(scene.get(), ExporterId(format, mesh), path) == aiReturn_SUCCESS) return true;
        const char* why = exporter.GetErrorString();
        error = !refused.empty() ? refused : why && *why ? why : "the export library could not write " + path;
    } catch (const std::exception& e) {
        error = std::string("the export library failed: ") + e.what();
    }
    return false;
}

// The files the import library's writer puts beside path: the buffer of a
// .gltf, the materials of a textured .obj.
std::vector<std::string> CompanionsOf(const std::string& path, ModelFileFormat format, const Mesh& mesh) {
    const std::string stem = std::filesystem::path(path).stem().string();
    if (format == ModelFileFormat::Gltf) return {stem + ".bin"};
    if (format == ModelFileFormat::Obj && HasOwnTexture(mesh)) return {stem + ".mtl"};
    return {};
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
    std::string why = format == ModelFileFormat::Xml ? XmlWriteProblem(mesh) : CheckMeshArrays(mesh);
    StagedOutput staged(path);
    // A companion whose name is taken is refused before anything is written
    // (and again as it moves into place).
    for (const std::string& companion : CompanionsOf(path, format, mesh))
        if (why.empty()) why = staged.CompanionTaken(companion);
    if (!why.empty()) {
        error = std::move(why);
        return false;
    }
    if (format == ModelFileFormat::Xml || format == ModelFileFormat::Bin) {
        const StagedOutput::Opened file = staged.Open(path);
        if (!file.file) {
            error = file.reason;
            return false;
        }
        // A write that fails stops the writer; Commit says why.
        const auto put = [&file](std::span<const std::uint8_t> bytes) { return file.file->Write(bytes); };
        if (format == ModelFileFormat::Xml)
            PutXML(mesh, put);
        else
            PutBIN(mesh, put);
    } else if (!Export(mesh, staged, path, format, error)) {
        return false;
    }
    error = staged.Commit();
    return error.empty();
}
