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
#include "formats/texture_format.h"
#include "mesh/mesh_limits.h"

namespace {

constexpr unsigned kPostProcessing = aiProcess_ValidateDataStructure | aiProcess_PreTransformVertices |
                                     aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenSmoothNormals |
                                     aiProcess_JoinIdenticalVertices;

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

// The colour each vertex is drawn with when any mesh of the scene has vertex
// colours: its own colour times its part's base colour, or the base colour
// alone for a mesh without colours.
bool ColorsFromScene(const aiScene& scene, Mesh& mesh, const std::vector<std::uint32_t>& meshFaces) {
    bool any = false;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) any = any || scene.mMeshes[m]->mColors[0] != nullptr;
    if (!any) return true;
    if (!mesh.AllocColors()) return false;
    std::size_t v = 0, part = 0;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& source = *scene.mMeshes[m];
        std::array<float, 4> base{1.0f, 1.0f, 1.0f, 1.0f};
        if (meshFaces[m] != 0 && part < mesh.parts.size()) base = mesh.materials[mesh.parts[part++].material].baseColor;
        for (unsigned i = 0; i < source.mNumVertices; ++i, ++v) {
            const aiColor4D c = source.mColors[0] ? source.mColors[0][i] : aiColor4D(1.0f, 1.0f, 1.0f, 1.0f);
            const float own[4] = {c.r, c.g, c.b, c.a};
            for (int k = 0; k < 4; ++k)
                mesh.colors[4 * v + k] = (std::isfinite(own[k]) ? std::clamp(own[k], 0.0f, 1.0f) : 1.0f) * base[k];
        }
    }
    return true;
}

std::string TooLarge(std::uint64_t verts, std::uint64_t faces) {
    return "the scene has " + std::to_string(verts) + " vertices and " + std::to_string(faces) +
           " triangles, more than one model can hold";
}

// Appends every mesh's vertices and triangles; the node transforms are
// already applied, every face is a triangle or was dropped.
LoadResult MeshFromScene(const aiScene& scene, const std::filesystem::path& folder, Mesh& out) {
    std::uint64_t verts = 0, faces = 0;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[m];
        verts += mesh.mNumVertices;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) faces += mesh.mFaces[f].mNumIndices == 3 ? 1 : 0;
    }
    if (scene.mNumMeshes == 0 || faces == 0) return LoadResult::Failure("the file holds no triangles");
    if (verts > UINT32_MAX || faces > INT32_MAX) return LoadResult::Failure(TooLarge(verts, faces));
    if (!FitsInPhysicalMemory(MeshArrayBytes(verts, faces)))
        return LoadResult::Failure(TooLarge(verts, faces) + " on this machine");

    Mesh mesh;
    mesh.numVerts = static_cast<std::uint32_t>(verts);
    mesh.numFaces = static_cast<std::int32_t>(faces);
    if (!mesh.AllocVerts() || !mesh.AllocNormals() || !mesh.AllocUVs() || !mesh.AllocFaces())
        return LoadResult::Failure("not enough memory for " + std::to_string(verts) + " vertices and " +
                                   std::to_string(faces) + " faces");
    std::size_t v = 0, f = 0;
    std::vector<std::uint32_t> meshFaces(scene.mNumMeshes, 0);
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        const aiMesh& part = *scene.mMeshes[m];
        const std::size_t firstFace = f;
        const aiVector3D* uvs = part.mTextureCoords[0];
        for (unsigned i = 0; i < part.mNumVertices; ++i) {
            const std::size_t at = v + i;
            std::copy_n(&part.mVertices[i].x, 3, &mesh.verts[3 * at]);
            if (part.mNormals) std::copy_n(&part.mNormals[i].x, 3, &mesh.normals[3 * at]);
            if (uvs) std::copy_n(&uvs[i].x, 2, &mesh.uvs[2 * at]);
        }
        for (unsigned i = 0; i < part.mNumFaces; ++i) {
            const aiFace& face = part.mFaces[i];
            if (face.mNumIndices != 3) continue;
            for (unsigned k = 0; k < 3; ++k) {
                if (face.mIndices[k] >= part.mNumVertices)
                    return LoadResult::Failure("a face uses vertex " + std::to_string(face.mIndices[k]) +
                                               " of a mesh with " + std::to_string(part.mNumVertices));
                mesh.faces[3 * f + k] = static_cast<std::uint32_t>(v + face.mIndices[k]);
            }
            ++f;
        }
        meshFaces[m] = static_cast<std::uint32_t>(f - firstFace);
        v += part.mNumVertices;
    }
    if (std::string why = CheckFinitePositions(mesh.verts.span()); !why.empty()) return LoadResult::Failure(why);
    mesh.texturePath = OwnTexture(scene, folder);
    mesh.numTextures = mesh.texturePath.empty() ? 0 : 1;
    LookFromScene(scene, folder, mesh, meshFaces);
    if (!ColorsFromScene(scene, mesh, meshFaces))
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
        return read(importer.Get(), [&](const aiScene& scene) { return MeshFromScene(scene, folder, out); });
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
        const aiScene* scene = importer.ReadFile(path, kPostProcessing);
        if (relay && relay->Cancelled()) return LoadResult{false, true, "loading was cancelled"};
        if (!scene) return LoadResult::Failure(LibraryError(importer));
        return convert(*scene);
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
        const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), kPostProcessing, hint.c_str());
        if (!scene) return LoadResult::Failure(LibraryError(importer));
        return convert(*scene);
    });
}
