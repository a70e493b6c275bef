#include "formats/scene/scene_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include "base/regular_file.h"
#include "textures/image_signature.h"

namespace {

bool Textured(const ModelFormatInfo& format, const Mesh& mesh);

// The exporter's id for the format, which for OBJ depends on the own texture.
std::string ExporterId(const ModelFormatInfo& format, const Mesh& mesh) {
    const ImportLibraryNames& names = format.library;
    return std::string(Textured(format, mesh) ? names.texturedExporter : names.exporter);
}

// The mesh's vertices used by faces [first, first + count) as one library
// mesh of that material: the library's meshes hold their own vertices.
aiMesh* LibraryMesh(const Mesh& mesh, std::uint32_t firstFace, std::uint32_t faceCount, unsigned material,
                    std::vector<std::uint32_t>& localOf) {
    constexpr std::uint32_t kUnused = UINT32_MAX;
    std::vector<std::uint32_t> used;
    for (std::size_t i = 3 * std::size_t{firstFace}; i < 3 * (std::size_t{firstFace} + faceCount); ++i)
        if (std::uint32_t& local = localOf[mesh.faces[i]]; local == kUnused) {
            local = static_cast<std::uint32_t>(used.size());
            used.push_back(mesh.faces[i]);
        }
    auto* out = new aiMesh;
    out->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
    out->mMaterialIndex = material;
    const std::size_t n = used.size();
    out->mNumVertices = static_cast<unsigned>(n);
    out->mVertices = new aiVector3D[n];
    out->mNormals = new aiVector3D[n];
    out->mTextureCoords[0] = new aiVector3D[n];
    out->mNumUVComponents[0] = 2;
    if (!mesh.colors.empty()) out->mColors[0] = new aiColor4D[n];
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t v = used[i];
        out->mVertices[i] = {mesh.verts[3 * v], mesh.verts[3 * v + 1], mesh.verts[3 * v + 2]};
        out->mNormals[i] = {mesh.normals[3 * v], mesh.normals[3 * v + 1], mesh.normals[3 * v + 2]};
        out->mTextureCoords[0][i] = {mesh.uvs[2 * v], mesh.uvs[2 * v + 1], 0.0f};
        if (out->mColors[0])
            out->mColors[0][i] = {mesh.colors[4 * v], mesh.colors[4 * v + 1], mesh.colors[4 * v + 2],
                                  mesh.colors[4 * v + 3]};
    }
    out->mNumFaces = faceCount;
    out->mFaces = new aiFace[faceCount];
    for (std::size_t f = 0; f < faceCount; ++f) {
        aiFace& face = out->mFaces[f];
        face.mNumIndices = 3;
        const std::size_t at = 3 * (firstFace + f);
        face.mIndices = new unsigned[3]{localOf[mesh.faces[at]], localOf[mesh.faces[at + 1]], localOf[mesh.faces[at + 2]]};
    }
    for (const std::uint32_t v : used) localOf[v] = kUnused;
    return out;
}

// The image file's bytes as a texture the scene holds, for exporters that
// embed images; nothing when it can't be read.
aiTexture* HeldTexture(std::span<const std::uint8_t> bytes, const std::string& extension) {
    if (bytes.empty() || bytes.size() > UINT32_MAX) return nullptr;
    auto* texture = new aiTexture;
    texture->mWidth = static_cast<unsigned>(bytes.size());
    texture->mHeight = 0;
    // The library takes compressed data as texels and frees it as such.
    texture->pcData = reinterpret_cast<aiTexel*>(new std::uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<std::uint8_t*>(texture->pcData));
    const std::string hint = extension.substr(0, HINTMAXTEXTURELEN - 1);
    std::copy(hint.begin(), hint.end(), texture->achFormatHint);
    return texture;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    const OpenedFile file = OpenRegularFile(path);
    if (!file || file.size > std::uint64_t{1} << 30) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size));
    return ReadAt(file.file.get(), 0, bytes) == bytes.size() ? bytes : std::vector<std::uint8_t>{};
}

// The kind of image the bytes hold, as the library's format hint.
std::string ImageHint(std::span<const std::uint8_t> bytes) {
    switch (ImageSignatureOf(bytes)) {
    case ImageSignature::PNG: return "png";
    case ImageSignature::JPEG: return "jpg";
    case ImageSignature::BMP: return "bmp";
    case ImageSignature::None: break;
    }
    return "tga";  // the one kind without a signature
}

// The materials of the mesh as the library's; a texture file becomes an
// image the scene holds where the exporter embeds images, else stays a path.
void AddMaterials(const Mesh& mesh, bool embedImages, aiScene& scene) {
    std::vector<aiTexture*> held;
    std::vector<std::int64_t> heldAt(mesh.images.size(), -1);
    const auto hold = [&held](aiTexture* texture) {
        if (!texture) return std::string();
        held.push_back(texture);
        return "*" + std::to_string(held.size() - 1);
    };
    scene.mNumMaterials = static_cast<unsigned>(mesh.materials.size());
    scene.mMaterials = new aiMaterial*[mesh.materials.size()];
    for (std::size_t i = 0; i < mesh.materials.size(); ++i) {
        const Material& source = mesh.materials[i];
        auto* material = new aiMaterial;
        scene.mMaterials[i] = material;
        const aiString name("material" + std::to_string(i + 1));
        material->AddProperty(&name, AI_MATKEY_NAME);
        const aiColor4D base(source.baseColor[0], source.baseColor[1], source.baseColor[2], source.baseColor[3]);
        const aiColor3D diffuse(base.r, base.g, base.b);
        material->AddProperty(&base, 1, AI_MATKEY_BASE_COLOR);
        material->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
        material->AddProperty(&base.a, 1, AI_MATKEY_OPACITY);
        std::string texture;
        if (source.embeddedImage >= 0 && embedImages) {
            std::int64_t& at = heldAt[static_cast<std::size_t>(source.embeddedImage)];
            const auto& bytes = mesh.images[static_cast<std::size_t>(source.embeddedImage)];
            if (at < 0 && !(texture = hold(HeldTexture(bytes, ImageHint(bytes)))).empty())
                at = static_cast<std::int64_t>(held.size() - 1);
            else if (at >= 0)
                texture = "*" + std::to_string(at);
        } else if (!source.texturePath.empty()) {
            texture = embedImages ? hold(HeldTexture(FileBytes(source.texturePath), LowerExtension(source.texturePath)))
                                  : source.texturePath;
        }
        if (!texture.empty()) {
            const aiString path(texture);
            material->AddProperty(&path, AI_MATKEY_TEXTURE_DIFFUSE(0));
            material->AddProperty(&path, AI_MATKEY_TEXTURE(aiTextureType_BASE_COLOR, 0));
        }
    }
    if (held.empty()) return;
    scene.mNumTextures = static_cast<unsigned>(held.size());
    scene.mTextures = new aiTexture*[held.size()];
    std::copy(held.begin(), held.end(), scene.mTextures);
}

// Whether a vertex is used by more than one face corner.
bool SharesVertices(const Mesh& mesh) {
    std::vector<bool> used(mesh.numVerts, false);
    for (const std::uint32_t v : mesh.faces.span()) {
        if (used[v]) return true;
        used[v] = true;
    }
    return false;
}

// The mesh as a scene of one node: without parts, one mesh and one material
// (with the own texture as its diffuse texture); with parts, a mesh and a
// material per part and material. The scene's destructor frees every array.
std::unique_ptr<aiScene> SceneOf(const Mesh& mesh, bool embedImages) {
    auto scene = std::make_unique<aiScene>();
    scene->mRootNode = new aiNode("model");
    const MeshPart whole{0, static_cast<std::uint32_t>(std::max(mesh.numFaces, 0)), 0};
    const std::span<const MeshPart> parts = mesh.parts.empty() ? std::span(&whole, 1) : std::span(mesh.parts);
    if (mesh.materials.empty()) {
        auto* material = new aiMaterial;
        const aiString name("material");
        material->AddProperty(&name, AI_MATKEY_NAME);
        if (NamesOwnTexture(mesh)) {
            const aiString texture(mesh.texturePath);
            material->AddProperty(&texture, AI_MATKEY_TEXTURE_DIFFUSE(0));
        }
        scene->mNumMaterials = 1;
        scene->mMaterials = new aiMaterial* [1] { material };
    } else {
        AddMaterials(mesh, embedImages, *scene);
    }
    scene->mNumMeshes = static_cast<unsigned>(parts.size());
    scene->mMeshes = new aiMesh*[parts.size()];
    scene->mRootNode->mNumMeshes = scene->mNumMeshes;
    scene->mRootNode->mMeshes = new unsigned[parts.size()];
    std::vector<std::uint32_t> localOf(mesh.numVerts, UINT32_MAX);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const unsigned material = mesh.materials.empty() ? 0 : parts[i].material;
        scene->mMeshes[i] = LibraryMesh(mesh, parts[i].firstFace, parts[i].faceCount, material, localOf);
        scene->mRootNode->mMeshes[i] = static_cast<unsigned>(i);
    }
    // Where vertices are shared between faces the scene must say so, and only
    // then: the exporters' normal generation refuses a scene flagged as
    // sharing whose meshes use each vertex once (a model imported from STL).
    if (SharesVertices(mesh)) scene->mFlags |= AI_SCENE_FLAGS_NON_VERBOSE_FORMAT;
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

// A material library goes with a mesh that names an own texture or has materials.
bool Textured(const ModelFormatInfo& format, const Mesh& mesh) {
    return (NamesOwnTexture(mesh) || !mesh.materials.empty()) && !format.library.texturedExporter.empty();
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
        const std::unique_ptr<aiScene> scene = SceneOf(mesh, format.library.embedsImages);
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
