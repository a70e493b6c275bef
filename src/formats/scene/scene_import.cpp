#include "formats/scene/scene_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <assimp/BaseImporter.h>
#include <assimp/DefaultIOStream.h>
#include <assimp/DefaultIOSystem.h>
#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/material.h>
#include <assimp/importerdesc.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "base/regular_file.h"
#include "formats/scene/import_process.h"
#include "formats/scene/vertex_join.h"
#include "formats/texture_format.h"
#include "mesh/mesh_limits.h"

namespace {

// The most nodes StepsFor walks before it leaves the walk to the library's step.
constexpr std::size_t kMaxNodesWalked = 1 << 16;

// Whether the scene is one mesh, placed once, by transforms that leave it as
// it is: then the library's step that applies the node transforms (and
// merges meshes of one material) has nothing to do.
bool OneMeshInPlace(const aiScene& scene) {
    if (scene.mNumMeshes != 1 || !scene.mRootNode) return false;
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> open{{scene.mRootNode, scene.mRootNode->mTransformation}};
    std::size_t placed = 0, walked = 0;
    while (!open.empty()) {
        const auto [node, transform] = open.back();
        open.pop_back();
        if (++walked > kMaxNodesWalked) return false;
        if (node->mNumMeshes != 0 && !transform.IsIdentity()) return false;
        placed += node->mNumMeshes;
        for (unsigned c = 0; node->mChildren && c < node->mNumChildren; ++c)
            if (const aiNode* child = node->mChildren[c]) open.emplace_back(child, transform * child->mTransformation);
    }
    return placed == 1;
}

// The library's validation, which the reading runs first, before anything
// else looks at the scene; not for a binary or text STL, whose reader makes
// every face itself, three corners each, all in range (MeshFromScene
// checks the corners it uses either way).
unsigned ReadSteps(const ModelFormatInfo& format) {
    return format.id == ModelFormat::STL ? 0u : unsigned{aiProcess_ValidateDataStructure};
}

// The library's post-processing steps that the scene needs after it was
// read: the node transforms applied where it is more than one mesh in place,
// polygons triangulated (and points and lines left out) where it has any
// face that is not a triangle. Joining identical vertices and normals where
// there are none are done by MeshFromScene, at a fraction of the library's
// time and memory.
unsigned StepsFor(const aiScene& scene) {
    unsigned steps = OneMeshInPlace(scene) ? 0u : unsigned{aiProcess_PreTransformVertices};
    for (unsigned m = 0; m < scene.mNumMeshes && !(steps & aiProcess_Triangulate); ++m) {
        const aiMesh* mesh = scene.mMeshes[m];
        bool allTriangles = mesh && (mesh->mFaces || mesh->mNumFaces == 0);
        for (unsigned f = 0; allTriangles && f < mesh->mNumFaces; ++f) allTriangles = mesh->mFaces[f].mNumIndices == 3;
        if (!allTriangles) steps |= aiProcess_Triangulate | aiProcess_SortByPType;
    }
    return steps;
}

// An importer that knows exactly one reader: with no other registered, the
// library's detection by content has nothing else to fall back on.
class SingleReaderImporter {
public:
    explicit SingleReaderImporter(std::string_view wanted) {
        for (std::size_t i = importer_.GetImporterCount(); i-- > 0;) {
            const aiImporterDesc* info = importer_.GetImporterInfo(i);
            if (info && info->mName == wanted) {
                kept_ = true;
                continue;
            }
            Assimp::BaseImporter* reader = importer_.GetImporter(i);
            // Unregistering hands the reader back to us.
            if (importer_.UnregisterLoader(reader) == aiReturn_SUCCESS) removed_.emplace_back(reader);
        }
        importer_.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
        importer_.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
    }

    // False unless the wanted reader, and only it, is registered.
    bool Ready() const { return kept_ && importer_.GetImporterCount() == 1; }
    Assimp::Importer& Get() { return importer_; }

private:
    std::vector<std::unique_ptr<Assimp::BaseImporter>> removed_;  // destroyed after importer_
    Assimp::Importer importer_;
    bool kept_ = false;
};

// Opens nothing: a model parsed from memory reads no other file.
class NoFilesIOSystem : public Assimp::IOSystem {
public:
    bool Exists(const char*) const override { return false; }
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char*, const char*) override { return nullptr; }
    void Close(Assimp::IOStream*) override {}
};

// The model's folder with `..` and symbolic links resolved; empty when it
// can't be resolved.
std::filesystem::path RealFolder(const std::string& modelPath) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(modelPath, ec).parent_path();
    if (ec) return {};
    std::filesystem::path real = std::filesystem::canonical(folder, ec);
    return ec ? std::filesystem::path{} : real;
}

// Whether path, with `..` and symbolic links resolved, lies in the folder
// tree of realFolder. A path that does not resolve is not inside.
bool InsideFolder(const std::filesystem::path& realFolder, const std::string& path) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(path, ec);
    if (ec || realFolder.empty()) return false;
    return std::mismatch(realFolder.begin(), realFolder.end(), real.begin(), real.end()).first == realFolder.end();
}

constexpr std::string_view kOutsideRule = "it lies outside the model's folder (see --allow-outside-references)";

// The line that says a reference was not read, naming it as the model does
// (relative to the model's folder where it can).
std::string NotRead(const std::filesystem::path& realFolder, const std::string& path, std::string_view why) {
    std::string name = path;
    std::error_code ec;
    const std::filesystem::path whole = std::filesystem::absolute(path, ec).lexically_normal();
    if (const auto relative = whole.lexically_relative(realFolder); !ec && !relative.empty()) name = relative.string();
    return "the model refers to " + name + ", which was not read: " + std::string(why);
}

// A stream over a file opened by OpenRegularFile (the base's constructor is
// the library's own).
class RegularFileStream : public Assimp::DefaultIOStream {
public:
    RegularFileStream(std::FILE* file, const std::string& name) : DefaultIOStream(file, name) {}
};

// The files the library reads for a model: only regular files, opened
// without blocking, and (unless allowed) only inside the model's own folder
// tree. What it refuses is kept as a warning naming the reference and the rule.
// Each file it opens besides the model (a glTF's buffers, an OBJ's material
// library) counts as more input of the import process, whose limits grow with it.
class ModelFolderIOSystem : public Assimp::DefaultIOSystem {
public:
    ModelFolderIOSystem(const std::string& modelPath, const ReadOptions& options, std::vector<std::string>& warnings)
        : modelPath_(modelPath), options_(options), warnings_(warnings), folder_(RealFolder(modelPath)) {
        FirstOpening(opened_, modelPath.c_str());
    }

    // The library's own Exists opens the file, which blocks on a FIFO.
    bool Exists(const char* file) const override {
        std::error_code ec;
        return file && std::filesystem::exists(file, ec);
    }

    Assimp::IOStream* Open(const char* file, const char* mode) override {
        if (!file || !mode || std::string_view(mode).find_first_of("wa+") != std::string_view::npos) return nullptr;
        const std::string path(file);
        const bool reference = path != modelPath_;
        std::error_code ec;
        // A file that isn't there is only missing: the library says so.
        if (reference && !std::filesystem::exists(path, ec)) return nullptr;
        if (reference && !options_.allowOutsideReferences && !InsideFolder(folder_, path)) {
            Warn(path, kOutsideRule);
            return nullptr;
        }
        OpenedFile opened = OpenRegularFile(path);
        if (!opened) {
            if (reference && opened.error.starts_with("not a regular file")) Warn(path, opened.error);
            return nullptr;
        }
        std::FILE* stream = fdopen(opened.file.get(), "rb");
        if (!stream) return nullptr;
        opened.file.Release();  // the stream owns it now
        if (FirstOpening(opened_, file)) AllowMoreChildInput(opened.size);
        return new RegularFileStream(stream, path);
    }

private:
    // True the first time a file is seen (the library opens some twice).
    static bool FirstOpening(std::set<std::pair<dev_t, ino_t>>& seen, const char* path) {
        struct stat info {};
        return stat(path, &info) == 0 && seen.insert({info.st_dev, info.st_ino}).second;
    }

    void Warn(const std::string& path, std::string_view why) {
        const std::string line = NotRead(folder_, path, why);
        if (std::find(warnings_.begin(), warnings_.end(), line) == warnings_.end()) warnings_.push_back(line);
    }

    std::string modelPath_;
    ReadOptions options_;
    std::vector<std::string>& warnings_;
    std::filesystem::path folder_;
    std::set<std::pair<dev_t, ino_t>> opened_;
};

// Passes the library's progress on as bytes of the file.
class ProgressRelay : public Assimp::ProgressHandler {
public:
    ProgressRelay(const LoadProgress& progress, std::uint64_t total) : progress_(progress), total_(total) {}
    bool Update(float percentage) override {
        if (percentage < 0.0f || cancelled_) return !cancelled_;
        const auto done = static_cast<std::uint64_t>(std::clamp(percentage, 0.0f, 1.0f) * static_cast<float>(total_));
        cancelled_ = !progress_(done, total_);
        return !cancelled_;
    }
    bool Cancelled() const { return cancelled_; }

private:
    const LoadProgress& progress_;
    std::uint64_t total_;
    bool cancelled_ = false;
};

std::string ReaderMissing(const ModelFormatInfo& format) {
    return "the import library has no reader for " + std::string(format.name) + " files";
}

// The import library's format for a declaration, or nothing.
const ModelFormatInfo* ImportedFormat(const ModelFormatInfo* format) {
    return format && !format->library.reader.empty() ? format : nullptr;
}

std::string NotImported() { return "not an extension of a model format the import library reads"; }

// Empty when head, the first bytes of a file of fileBytes bytes, fits the
// format, else why not.
std::string CheckHead(const ModelFormatInfo& format, std::span<const std::uint8_t> head, std::uint64_t fileBytes) {
    if (fileBytes == 0) return "the file is empty";
    return format.signature ? format.signature(head, fileBytes) : std::string{};
}

// Empty when the counts the file declares fit its bytes, else why not; run
// after CheckHead.
std::string CheckCounts(const ModelFormatInfo& format, std::span<const std::uint8_t> head, std::uint64_t fileBytes,
                        const ReadFileAt& read) {
    return format.counts ? format.counts(head, fileBytes, read) : std::string{};
}

std::string LibraryError(Assimp::Importer& importer) {
    const std::string why = importer.GetErrorString();
    return why.empty() ? "the import library could not read the file" : why;
}

// The own texture: the first mesh's material's diffuse texture, when it is a
// file of an own texture format (not one embedded in the model).
std::string OwnTexture(const aiScene& scene, const std::filesystem::path& folder) {
    const aiMesh& first = *scene.mMeshes[0];
    if (first.mMaterialIndex >= scene.mNumMaterials) return {};
    aiString name;
    if (scene.mMaterials[first.mMaterialIndex]->GetTexture(aiTextureType_DIFFUSE, 0, &name) != aiReturn_SUCCESS)
        return {};
    const std::string path(name.C_Str(), name.length);
    if (path.empty() || path.front() == '*' || OwnTextureFormatForPath(path) == OwnTextureFormat::Unknown) return {};
    const std::filesystem::path texture(path);
    if (texture.is_absolute() || folder.empty()) return path;
    return (folder / texture).lexically_normal().string();
}

// A material's base colour: glTF's base colour where the file has one, else
// the diffuse colour, with the opacity as alpha.
std::array<float, 4> BaseColorOf(const aiMaterial& material) {
    aiColor4D color(1.0f, 1.0f, 1.0f, 1.0f);
    if (material.Get(AI_MATKEY_BASE_COLOR, color) != aiReturn_SUCCESS) {
        aiColor3D diffuse(1.0f, 1.0f, 1.0f);
        if (material.Get(AI_MATKEY_COLOR_DIFFUSE, diffuse) == aiReturn_SUCCESS) color = {diffuse.r, diffuse.g, diffuse.b, 1.0f};
        float opacity = 1.0f;
        if (material.Get(AI_MATKEY_OPACITY, opacity) == aiReturn_SUCCESS) color.a = opacity;
    }
    const auto unit = [](float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 1.0f; };
    return {unit(color.r), unit(color.g), unit(color.b), unit(color.a)};
}

// The material's base-colour texture, as the file names it: empty for none.
std::string TextureNameOf(const aiMaterial& material) {
    aiString name;
    for (const aiTextureType type : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE})
        if (material.GetTexture(type, 0, &name) == aiReturn_SUCCESS && name.length != 0)
            return std::string(name.C_Str(), name.length);
    return {};
}

// The file a texture name refers to, beside the model where it is relative.
std::string TextureFile(const std::string& name, const std::filesystem::path& folder) {
    const std::filesystem::path texture(name);
    if (texture.is_absolute() || folder.empty()) return name;
    return (folder / texture).lexically_normal().string();
}

// The material as drawn; an image the file holds is copied into images once
// (imageAt maps the file's images to their place there).
Material MaterialOf(const aiScene& scene, const aiMaterial& source, const std::filesystem::path& folder,
                    std::vector<std::vector<std::uint8_t>>& images, std::vector<std::int32_t>& imageAt) {
    Material material;
    material.baseColor = BaseColorOf(source);
    const std::string name = TextureNameOf(source);
    if (name.empty()) return material;
    // "*N" names the file's Nth image; some formats name a held image by its file name.
    const auto [texture, at] = scene.GetEmbeddedTextureAndIndex(name.c_str());
    if (texture && at >= 0 && static_cast<std::size_t>(at) < imageAt.size()) {
        // Images held as raw texels (a height) are rare and not drawn.
        if (texture->mHeight != 0 || texture->mWidth == 0) return material;
        if (imageAt[at] < 0) {
            imageAt[at] = static_cast<std::int32_t>(images.size());
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(texture->pcData);
            images.emplace_back(bytes, bytes + texture->mWidth);
        }
        material.embeddedImage = imageAt[at];
    } else if (name.front() != '*') {
        material.texturePath = TextureFile(name, folder);
    }
    return material;
}

// The parts and materials of the scene: a part for each library mesh with
// triangles, and the materials they use. A scene whose materials are only
// the library's stand-in (formats without materials) has none. Images the
// file holds are copied into mesh.images, once each.
void LookFromScene(const aiScene& scene, const std::filesystem::path& folder, Mesh& mesh,
                   const std::vector<std::uint32_t>& meshFaces) {
    bool any = false;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const unsigned index = scene.mMeshes[m]->mMaterialIndex;
        if (index >= scene.mNumMaterials || meshFaces[m] == 0) continue;
        const aiMaterial& material = *scene.mMaterials[index];
        // The library's stand-in is unnamed (PLY) or has its default name (STL, OBJ without a library).
        const aiString name = material.GetName();
        any = any || (name.length != 0 && name != aiString(AI_DEFAULT_MATERIAL_NAME)) ||
              !TextureNameOf(material).empty();
    }
    if (!any) return;
    // The material each library material became; the last slot stands for a
    // mesh whose material index is out of range, which gets a plain white one.
    std::vector<std::int64_t> materialAt(std::size_t{scene.mNumMaterials} + 1, -1);
    std::vector<std::int32_t> imageAt(scene.mNumTextures, -1);
    std::uint32_t face = 0;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        if (meshFaces[m] == 0) continue;
        const unsigned index = std::min(scene.mMeshes[m]->mMaterialIndex, scene.mNumMaterials);
        if (materialAt[index] < 0) {
            materialAt[index] = static_cast<std::int64_t>(mesh.materials.size());
            mesh.materials.push_back(index < scene.mNumMaterials
                                         ? MaterialOf(scene, *scene.mMaterials[index], folder, mesh.images, imageAt)
                                         : Material{});
        }
        mesh.parts.push_back({face, meshFaces[m], static_cast<std::uint32_t>(materialAt[index])});
        face += meshFaces[m];
    }
}

std::string TooLarge(std::uint64_t verts, std::uint64_t faces) {
    return "the scene has " + std::to_string(verts) + " vertices and " + std::to_string(faces) +
           " triangles, more than one model can hold";
}

// A library mesh's triangles, their corners joined.
struct JoinedPart {
    std::vector<std::uint32_t> corners;  // the source's vertex indices, 3 per triangle
    std::vector<std::uint32_t> joined;   // source vertex to joined vertex (JoinVertices)
    std::vector<float> normals;          // made here: 3 per joined vertex, or per source vertex (normalsBySource)
    bool normalsBySource = false;
    std::uint32_t count = 0;             // joined vertices
    std::uint32_t first = 0;             // the first joined vertex's place in the model
};

std::uint32_t TrianglesOf(const aiMesh& mesh) {
    std::uint32_t triangles = 0;
    for (unsigned f = 0; mesh.mFaces && f < mesh.mNumFaces; ++f) triangles += mesh.mFaces[f].mNumIndices == 3 ? 1 : 0;
    return triangles;
}

// The corners of mesh's triangles (its points and lines are left out), or
// why they can't be used. The faces are freed after: the corners take
// their place at a fraction of their memory.
std::string TakeCorners(aiMesh& mesh, std::uint64_t triangles, std::vector<std::uint32_t>& corners) {
    if (mesh.mNumVertices != 0 && !mesh.mVertices) return "a mesh has vertices without positions";
    if (mesh.mNumFaces != 0 && !mesh.mFaces) return "a mesh has faces without corners";
    corners.reserve(static_cast<std::size_t>(3 * triangles));
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices != 3) continue;
        if (!face.mIndices) return "a face has no corners";
        for (unsigned k = 0; k < 3; ++k) {
            if (face.mIndices[k] >= mesh.mNumVertices)
                return "a face uses vertex " + std::to_string(face.mIndices[k]) + " of a mesh with " +
                       std::to_string(mesh.mNumVertices);
            corners.push_back(face.mIndices[k]);
        }
    }
    delete[] mesh.mFaces;  // each face frees its own indices
    mesh.mFaces = nullptr;
    mesh.mNumFaces = 0;
    return {};
}

std::span<float> Floats(aiVector3D* values, unsigned count) {
    return values ? std::span<float>(&values->x, 3 * std::size_t{count}) : std::span<float>{};
}

// Corners at one position whose triangles' normals lie closer than this
// angle (cos 30 degrees) share a vertex where the normals are made from the
// triangles of a file that gives one per triangle: a sharper edge stays sharp.
constexpr float kCreaseCosine = 0.8660254f;

// Whether the mesh has nothing at its vertices but positions (and normals).
bool OnlyPositions(const aiMesh& mesh) {
    bool none = !mesh.mTangents && !mesh.mBitangents;
    for (unsigned c = 0; c < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++c) none = none && !mesh.mTextureCoords[c];
    for (unsigned c = 0; c < AI_MAX_NUMBER_OF_COLOR_SETS; ++c) none = none && !mesh.mColors[c];
    return none;
}

// Joins part's corners where every attribute the library gives is equal (the
// library's own step compared them all). Normals are made from the
// triangles where the mesh has none, and where the file gives one per
// triangle (facetNormals): joined across gentle edges, kept apart across
// sharp ones.
void JoinPart(aiMesh& mesh, JoinedPart& part, bool facetNormals) {
    const unsigned n = mesh.mNumVertices;
    ClearNegativeZeros(Floats(mesh.mVertices, n));
    if (!mesh.mNormals || facetNormals) {
        MadeNormals made =
            NormalsFromTriangles(Floats(mesh.mVertices, n), part.corners, facetNormals ? kCreaseCosine : -2.0f);
        if (OnlyPositions(mesh)) {  // the groups are the joined vertices
            part.normals = std::move(made.normals);
            part.joined = std::move(made.joined);
            part.count = made.count;
            return;
        }
        // Other attributes may keep corners of one group apart: each vertex gets its group's normal.
        part.normals.assign(3 * std::size_t{n}, 0.0f);
        part.normalsBySource = true;
        for (unsigned v = 0; v < n; ++v)
            if (made.joined[v] != kUnusedVertex)
                std::copy_n(&made.normals[3 * std::size_t{made.joined[v]}], 3, &part.normals[3 * std::size_t{v}]);
    }
    std::vector<VertexStream> streams;
    const auto add = [&streams](const void* data, std::size_t bytes) {
        if (data && streams.size() < kMaxJoinStreams) streams.push_back({data, bytes, bytes});
    };
    add(mesh.mVertices, sizeof(aiVector3D));
    if (part.normals.empty()) {
        ClearNegativeZeros(Floats(mesh.mNormals, n));
        add(mesh.mNormals, sizeof(aiVector3D));
    } else {
        add(part.normals.data(), 3 * sizeof(float));
    }
    for (unsigned c = 0; c < AI_MAX_NUMBER_OF_TEXTURECOORDS; ++c)
        if (mesh.mTextureCoords[c]) {
            ClearNegativeZeros(Floats(mesh.mTextureCoords[c], n));
            add(mesh.mTextureCoords[c], sizeof(aiVector3D));
        }
    for (unsigned c = 0; c < AI_MAX_NUMBER_OF_COLOR_SETS; ++c) add(mesh.mColors[c], sizeof(aiColor4D));
    add(mesh.mTangents, sizeof(aiVector3D));
    add(mesh.mBitangents, sizeof(aiVector3D));
    part.count = JoinVertices(part.corners, n, streams, part.joined);
}

// Calls put(source vertex, model vertex) once for each joined vertex of
// part: its first corner gives it its number, in order.
template <class Put>
void EachJoined(const JoinedPart& part, Put&& put) {
    std::uint32_t next = 0;
    for (const std::uint32_t v : part.corners)
        if (part.joined[v] == next) put(v, std::size_t{part.first} + next++);
}

// The colour each vertex is drawn with when any mesh of the scene has vertex
// colours: its own colour times its part's base colour, or the base colour
// alone for a mesh without colours.
bool ColorsFromScene(const aiScene& scene, Mesh& mesh, const std::vector<JoinedPart>& parts) {
    bool any = false;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) any = any || scene.mMeshes[m]->mColors[0] != nullptr;
    if (!any) return true;
    if (!mesh.AllocColors()) return false;
    std::size_t drawn = 0;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        if (parts[m].count == 0) continue;
        const aiColor4D* own = scene.mMeshes[m]->mColors[0];
        const std::array<float, 4> base =
            drawn < mesh.parts.size() ? mesh.materials[mesh.parts[drawn++].material].baseColor
                                      : std::array<float, 4>{1.0f, 1.0f, 1.0f, 1.0f};
        EachJoined(parts[m], [&](std::uint32_t from, std::size_t to) {
            const aiColor4D c = own ? own[from] : aiColor4D(1.0f, 1.0f, 1.0f, 1.0f);
            const float rgba[4] = {c.r, c.g, c.b, c.a};
            for (int k = 0; k < 4; ++k)
                mesh.colors[4 * to + k] = (std::isfinite(rgba[k]) ? std::clamp(rgba[k], 0.0f, 1.0f) : 1.0f) * base[k];
        });
    }
    return true;
}

// Each array of the model in turn, from every part, the library's array
// freed as soon as it is copied: the scene and the model are not both held
// whole.
void CopyVertices(aiScene& scene, std::vector<JoinedPart>& parts, Mesh& mesh) {
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        aiMesh& source = *scene.mMeshes[m];
        EachJoined(parts[m], [&](std::uint32_t from, std::size_t to) {
            std::copy_n(&source.mVertices[from].x, 3, &mesh.verts[3 * to]);
        });
        delete[] std::exchange(source.mVertices, nullptr);
    }
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        aiMesh& source = *scene.mMeshes[m];
        if (!parts[m].normals.empty() && !parts[m].normalsBySource) {
            std::copy(parts[m].normals.begin(), parts[m].normals.end(), &mesh.normals[3 * std::size_t{parts[m].first}]);
        } else {
            const float* normals = parts[m].normals.empty() ? &source.mNormals->x : parts[m].normals.data();
            EachJoined(parts[m], [&](std::uint32_t from, std::size_t to) {
                std::copy_n(normals + 3 * std::size_t{from}, 3, &mesh.normals[3 * to]);
            });
        }
        delete[] std::exchange(source.mNormals, nullptr);
        std::vector<float>().swap(parts[m].normals);
    }
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        aiMesh& source = *scene.mMeshes[m];
        if (!source.mTextureCoords[0]) continue;
        const aiVector3D* uvs = source.mTextureCoords[0];
        EachJoined(parts[m], [&](std::uint32_t from, std::size_t to) { std::copy_n(&uvs[from].x, 2, &mesh.uvs[2 * to]); });
        delete[] std::exchange(source.mTextureCoords[0], nullptr);
    }
}

// Every mesh's triangles, their corners joined, into one model; the node
// transforms are already applied.
LoadResult MeshFromScene(aiScene& scene, const std::filesystem::path& folder, bool facetNormals, Mesh& out) {
    std::uint64_t faces = 0, sourceVerts = 0;
    // Each mesh's triangles: its faces in the model, in order.
    std::vector<std::uint32_t> meshFaces(scene.mNumMeshes, 0);
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        faces += meshFaces[m] = TrianglesOf(*scene.mMeshes[m]);
        sourceVerts += scene.mMeshes[m]->mNumVertices;
    }
    if (scene.mNumMeshes == 0 || faces == 0) return LoadResult::Failure("the file holds no triangles");
    if (faces > INT32_MAX) return LoadResult::Failure(TooLarge(sourceVerts, faces));

    std::vector<JoinedPart> parts(scene.mNumMeshes);
    std::uint64_t verts = 0;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        aiMesh& source = *scene.mMeshes[m];
        JoinedPart& part = parts[m];
        if (std::string why = TakeCorners(source, meshFaces[m], part.corners); !why.empty())
            return LoadResult::Failure(why);
        if (part.corners.empty()) continue;
        if (std::string why = CheckFinitePositions(Floats(source.mVertices, source.mNumVertices)); !why.empty())
            return LoadResult::Failure(why);
        JoinPart(source, part, facetNormals);
        part.first = static_cast<std::uint32_t>(std::min<std::uint64_t>(verts, UINT32_MAX));
        verts += part.count;
    }
    if (verts > UINT32_MAX) return LoadResult::Failure(TooLarge(verts, faces));
    if (!FitsInPhysicalMemory(MeshArrayBytes(verts, faces)))
        return LoadResult::Failure(TooLarge(verts, faces) + " on this machine");

    Mesh mesh;
    mesh.numVerts = static_cast<std::uint32_t>(verts);
    mesh.numFaces = static_cast<std::int32_t>(faces);
    if (!mesh.AllocVerts() || !mesh.AllocNormals() || !mesh.AllocUVs() || !mesh.AllocFaces())
        return LoadResult::Failure("not enough memory for " + std::to_string(verts) + " vertices and " +
                                   std::to_string(faces) + " faces");
    CopyVertices(scene, parts, mesh);
    std::size_t f = 0;
    for (const JoinedPart& part : parts)
        for (const std::uint32_t v : part.corners) mesh.faces[f++] = part.first + part.joined[v];
    mesh.texturePath = OwnTexture(scene, folder);
    mesh.numTextures = mesh.texturePath.empty() ? 0 : 1;
    LookFromScene(scene, folder, mesh, meshFaces);
    if (!ColorsFromScene(scene, mesh, parts))
        return LoadResult::Failure("not enough memory for the colours of " + std::to_string(verts) + " vertices");
    out = std::move(mesh);
    return LoadResult::Success();
}

// The library reports what it can't read through its error string, but a
// failed allocation inside it may still escape as an exception.
template <class Read>
LoadResult Import(const ModelFormatInfo& format, const std::filesystem::path& folder, Mesh& out, Read&& read) {
    try {
        SingleReaderImporter importer(format.library.reader);
        if (!importer.Ready()) return LoadResult::Failure(ReaderMissing(format));
        // After the file is read: only the steps it needs, then the model.
        return read(importer.Get(), [&](Assimp::Importer& reader) {
            const aiScene* scene = reader.GetScene();
            if (const unsigned steps = StepsFor(*scene); steps != 0) scene = reader.ApplyPostProcessing(steps);
            if (!scene) return LoadResult::Failure(LibraryError(reader));
            const std::unique_ptr<aiScene> owned(reader.GetOrphanedScene());
            // An STL file's normals are one per triangle, and often wrong: they are made from the corners.
            return MeshFromScene(*owned, folder, format.id == ModelFormat::STL, out);
        });
    } catch (const std::exception& e) {
        return LoadResult::Failure(std::string("the import library failed: ") + e.what());
    }
}

// The library's part of ReadScene: run in a process of its own.
LoadResult ImportFile(const std::string& path, const ModelFormatInfo& format, std::uint64_t fileBytes, Mesh& out,
                      const LoadProgress& progress, const ReadOptions& options) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::vector<std::string> warnings;
    LoadResult result = Import(format, folder, out, [&](Assimp::Importer& importer, const auto& convert) {
        // The importer owns the relay and the IO system from here. (Setting
        // no relay would leak the library's default handler.)
        importer.SetIOHandler(new ModelFolderIOSystem(path, options, warnings));
        ProgressRelay* relay = nullptr;
        if (progress) importer.SetProgressHandler(relay = new ProgressRelay(progress, fileBytes));
        const aiScene* scene = importer.ReadFile(path, ReadSteps(format));
        LoadResult converted = scene ? convert(importer) : LoadResult::Failure(LibraryError(importer));
        if (relay && relay->Cancelled()) return LoadResult{false, true, "loading was cancelled"};
        return converted;
    });
    // A model that could not do without what was refused says why.
    if (!result && !result.cancelled)
        for (const std::string& line : warnings) result.reason += "; " + line;
    // Textures are read later, by the caller: the same rule applies. (One
    // that does not exist is left to be reported as missing.)
    if (result && !options.allowOutsideReferences) {
        const std::filesystem::path realFolder = RealFolder(path);
        const auto outside = [&](std::string& texture) {
            std::error_code ec;
            if (texture.empty() || !std::filesystem::exists(texture, ec) || InsideFolder(realFolder, texture))
                return false;
            const std::string line = NotRead(realFolder, texture, kOutsideRule);
            if (std::find(warnings.begin(), warnings.end(), line) == warnings.end()) warnings.push_back(line);
            texture.clear();
            return true;
        };
        if (outside(out.texturePath)) out.numTextures = 0;
        for (Material& material : out.materials) outside(material.texturePath);
    }
    if (result) result.warnings = std::move(warnings);
    return result;
}

LoadResult ReadFailure() { return LoadResult::Failure("cannot read the file: " + std::string(std::strerror(errno))); }

}  // namespace

LoadResult ReadScene(const std::string& path, Mesh& out, const LoadProgress& progress, const ReadOptions& options,
                     const std::optional<ChildLimits>& limits) {
    const ModelFormatInfo* format = ImportedFormat(FindModelFormatForPath(path));
    if (!format) return LoadResult::Failure(NotImported());

    const OpenedFile opened = OpenRegularFile(path);
    if (!opened) return LoadResult::Failure(opened.error);
    const FileDescriptor& file = opened.file;
    const std::uint64_t fileBytes = opened.size;
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(fileBytes, kSignatureHeadBytes)));
    const std::optional<std::size_t> got = ReadAt(file.get(), 0, head);
    if (!got) return ReadFailure();
    if (*got < head.size()) return LoadResult::Failure("cannot read the file: it ended early");
    if (std::string why = CheckHead(*format, head, fileBytes); !why.empty()) return LoadResult::Failure(why);
    // The walk over a large file honours a cancel; its progress is the import's.
    bool cancelled = false;
    const ReadFileAt read = [&](std::uint64_t offset, std::span<std::uint8_t> into) -> std::optional<std::size_t> {
        cancelled = progress && !progress(0, fileBytes);
        return cancelled ? std::nullopt : ReadAt(file.get(), offset, into);
    };
    if (std::string why = CheckCounts(*format, head, fileBytes, read); !why.empty())
        return cancelled ? LoadResult{false, true, "loading was cancelled"} : LoadResult::Failure(why);

    const ChildImport import = [&](Mesh& mesh, const LoadProgress& report) {
        return ImportFile(path, *format, fileBytes, mesh, report, options);
    };
    return ImportInChildProcess(import, fileBytes, out, progress, limits.value_or(ChildLimitsFor(fileBytes)));
}

LoadResult ParseScene(std::span<const std::uint8_t> bytes, ModelFormat id, Mesh& out) {
    const ModelFormatInfo* format = ImportedFormat(FindModelFormat(id));
    if (!format) return LoadResult::Failure(NotImported());
    const auto head = bytes.first(std::min(bytes.size(), kSignatureHeadBytes));
    if (std::string why = CheckHead(*format, head, bytes.size()); !why.empty()) return LoadResult::Failure(why);
    const ReadFileAt read = [bytes](std::uint64_t offset, std::span<std::uint8_t> into) -> std::optional<std::size_t> {
        if (offset >= bytes.size()) return 0;
        const auto rest = bytes.subspan(static_cast<std::size_t>(offset));
        const std::size_t n = std::min(into.size(), rest.size());
        std::copy_n(rest.begin(), n, into.begin());
        return n;
    };
    if (std::string why = CheckCounts(*format, head, bytes.size(), read); !why.empty())
        return LoadResult::Failure(why);
    return Import(*format, {}, out, [&](Assimp::Importer& importer, const auto& convert) {
        importer.SetIOHandler(new NoFilesIOSystem);  // the importer owns it from here
        // The library's memory reader is given the format's first extension as its hint.
        const std::string hint(format->extensions.front());
        const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), ReadSteps(*format), hint.c_str());
        return scene ? convert(importer) : LoadResult::Failure(LibraryError(importer));
    });
}
