#include "formats/scene/scene_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <sys/stat.h>

#include <exception>
#include <filesystem>
#include <limits>
#include <memory>

namespace {

bool Textured(const ModelFormatInfo& format, const Mesh& mesh);

// The exporter's id for the format, which for OBJ depends on the own texture.
std::string ExporterId(const ModelFormatInfo& format, const Mesh& mesh) {
    const ImportLibraryNames& names = format.library;
    return std::string(Textured(format, mesh) ? names.texturedExporter : names.exporter);
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

bool Textured(const ModelFormatInfo& format, const Mesh& mesh) {
    return NamesOwnTexture(mesh) && !format.library.texturedExporter.empty();
}

}  // namespace

std::vector<std::string> SceneCompanions(const std::string& path, const ModelFormatInfo& format, const Mesh& mesh) {
    const ImportLibraryNames& names = format.library;
    const std::string_view extension = Textured(format, mesh) ? names.texturedCompanion : names.companion;
    if (extension.empty()) return {};
    return {std::filesystem::path(path).stem().string() + "." + std::string(extension)};
}

WriteResult ExportScene(const Mesh& mesh, StagedOutput& output, const std::string& path,
                        const ModelFormatInfo& format) {
    const std::string id = ExporterId(format, mesh);
    if (id.empty()) return WriteResult::Failure("the export library writes no " + std::string(format.name) + " files");
    std::string refused;
    try {
        const std::unique_ptr<aiScene> scene = SceneOf(mesh);
        Assimp::Exporter exporter;
        exporter.SetIOHandler(new StagedFiles(output, refused));  // the exporter owns it
        if (exporter.Export(scene.get(), id, path) == aiReturn_SUCCESS) return WriteResult::Success();
        const char* why = exporter.GetErrorString();
        return WriteResult::Failure(!refused.empty()      ? refused
                                    : why && *why ? std::string(why)
                                                  : "the export library could not write " + path);
    } catch (const std::exception& e) {
        return WriteResult::Failure(std::string("the export library failed: ") + e.what());
    }
}
