#include "draw/mesh_gl.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdint>
#include <span>

#include "formats/model_reader.h"
#include "formats/texture_format.h"
#include "textures/texture_loaders.h"

void ClearTexture(Mesh& mesh, GlTexture& texture) {
    texture.Reset();
    mesh.texturePath.clear();
    mesh.numTextures = 0;
}

namespace {

// The loaders' messages about a model's own texture: the model is shown
// without it, so they are warnings, and they name the file.
class OwnTextureMessages : public MessageSink {
public:
    OwnTextureMessages(MessageSink& messages, const std::string& file) : messages_(messages), file_(file) {}
    void ShowMessage(std::string_view text, std::string_view caption) override {
        messages_.ShowWarning(std::string(text) + ": " + file_ + " (the model is shown without it)", caption);
    }

private:
    MessageSink& messages_;
    const std::string& file_;
};

}  // namespace

namespace {

// Uploads the image file into the texture name, by the own texture's format
// rule on formatPath; false (with the loader's message) when it can't.
bool UploadImageFile(const std::string& formatPath, const std::string& file, unsigned int name,
                     MessageSink& messages) {
    switch (OwnTextureFormatForPath(formatPath)) {
    case OwnTextureFormat::BMP: return LoadBMPTexture(file, name, messages);
    case OwnTextureFormat::TGA: return LoadTGATexture(file, name, messages);
    case OwnTextureFormat::PNG: return LoadPNGTexture(file, name, messages);
    case OwnTextureFormat::JPEG: return LoadJPEGTexture(file, name, messages);
    case OwnTextureFormat::Unknown: break;
    }
    messages.ShowMessage("Unknown Texture File Format", "Error");
    return false;
}

}  // namespace

bool LoadTexture(Mesh& mesh, GlTexture& texture, const std::string& assetDir, MessageSink& sink) {
    // A second "texture" element replaces the first: its object goes.
    const unsigned int name = texture.Generate();
    // A relative path missing here may be one of the installed assets.
    const std::string file = ResolveAssetPath(mesh.texturePath, assetDir);
    OwnTextureMessages messages(sink, file);
    const bool loaded = OwnTextureFormatForPath(mesh.texturePath) != OwnTextureFormat::Unknown &&
                        UploadImageFile(mesh.texturePath, file, name, messages);
    if (!loaded) ClearTexture(mesh, texture);
    return loaded;
}

void LoadMaterialTextures(const Mesh& mesh, std::vector<GlTexture>& textures, const std::string& assetDir,
                          MessageSink& sink) {
    textures.clear();
    textures.resize(mesh.materials.size());
    for (std::size_t i = 0; i < mesh.materials.size(); ++i) {
        const Material& material = mesh.materials[i];
        if (material.embeddedImage >= 0 && static_cast<std::size_t>(material.embeddedImage) < mesh.images.size()) {
            const std::string held = "the image #" + std::to_string(material.embeddedImage + 1) + " the model holds";
            OwnTextureMessages messages(sink, held);
            if (!LoadImageTextureFromBytes(mesh.images[static_cast<std::size_t>(material.embeddedImage)],
                                           textures[i].Generate(), messages))
                textures[i].Reset();
            continue;
        }
        if (material.texturePath.empty()) continue;
        const std::string file = ResolveAssetPath(material.texturePath, assetDir);
        OwnTextureMessages messages(sink, file);
        if (!UploadImageFile(material.texturePath, file, textures[i].Generate(), messages)) textures[i].Reset();
    }
}

namespace {

// Whether the arrays hold what the counts say. Counts and arrays agree for
// every loaded model; a mesh filled by hand that breaks this draws nothing
// rather than reading past an array.
bool ArraysMatch(const Mesh& mesh) {
    const std::size_t n = mesh.numVerts;
    const std::size_t indexCount = mesh.numFaces > 0 ? std::size_t{3} * static_cast<std::uint32_t>(mesh.numFaces) : 0;
    return mesh.verts.size() >= 3 * n && mesh.normals.size() >= 3 * n && mesh.uvs.size() >= 2 * n &&
           mesh.faces.size() >= indexCount;
}

// The indices [first, first + count) as triangles, in batches of whole
// triangles with a flush after each: a software rasteriser bins a whole
// submission before it draws, so a big model in one call holds every binned
// triangle at once (a million triangles took about 60 MB more at the peak),
// while batches are drawn as binning goes on. This also keeps every count
// within GLsizei.
void DrawIndices(const Mesh& mesh, std::size_t first, std::size_t count) {
    constexpr std::size_t kIndicesPerBatch = 3 * 16384;
    const std::size_t end = first + count;
    for (std::size_t at = first; at < end; at += kIndicesPerBatch) {
        const std::size_t batch = std::min(end - at, kIndicesPerBatch);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(batch), GL_UNSIGNED_INT, mesh.faces.data() + at);
        if (at + batch < end) glFlush();
    }
}

std::size_t IndexCount(const Mesh& mesh) {
    return mesh.numFaces > 0 ? std::size_t{3} * static_cast<std::uint32_t>(mesh.numFaces) : 0;
}

void EnableArrays(const Mesh& mesh, bool textured) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.verts.data());
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, mesh.uvs.data());
    }
}

void DisableArrays() {
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

void Draw(const Mesh& mesh) {
    if (!ArraysMatch(mesh)) return;
    EnableArrays(mesh, mesh.numTextures != 0);
    DrawIndices(mesh, 0, IndexCount(mesh));
    DisableArrays();
}

void DrawOwnLook(const Mesh& mesh, const ModelTextures& textures) {
    if (mesh.parts.empty() && mesh.colors.empty()) {
        if (mesh.GetNumTextures() != 0) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, textures.own.Name());
        }
        Draw(mesh);
        return;
    }
    if (!ArraysMatch(mesh)) return;
    const bool colored = mesh.colors.size() >= std::size_t{4} * mesh.numVerts && !mesh.colors.empty();
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
    EnableArrays(mesh, true);
    if (colored) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, mesh.colors.data());
    }
    // Without parts (vertex colours alone) the whole mesh is one white part.
    const MeshPart whole{0, static_cast<std::uint32_t>(std::max(mesh.numFaces, 0)), 0};
    for (const MeshPart& part : mesh.parts.empty() ? std::span(&whole, 1) : std::span(mesh.parts)) {
        const bool hasMaterial = part.material < mesh.materials.size();
        const unsigned int texture =
            part.material < textures.materials.size() ? textures.materials[part.material].Name() : 0;
        if (texture != 0) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, texture);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        // Vertex colours carry their part's colour already.
        if (!colored) {
            if (hasMaterial)
                glColor4fv(mesh.materials[part.material].baseColor.data());
            else
                glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        }
        DrawIndices(mesh, std::size_t{3} * part.firstFace, std::size_t{3} * part.faceCount);
    }
    glDisableClientState(GL_COLOR_ARRAY);
    DisableArrays();
    glPopAttrib();
}

void ReplaceModel(Mesh& model, ModelTextures& textures, Mesh&& fresh, ModelTextures&& freshTextures) {
    if (&fresh == &model) return;
    model = std::move(fresh);
    textures = std::move(freshTextures);
    // The moved-from mesh must not think it still has a texture.
    fresh.texturePath.clear();
    fresh.numVerts = 0;
    fresh.numFaces = 0;
    fresh.numTextures = 0;
}

LoadResult LoadModel(Mesh& model, ModelTextures& textures, const std::string& path, ModelFormat format,
                     const std::string& assetDir, MessageSink& messages, const LoadProgress& progress,
                     const ReadOptions& options) {
    Mesh fresh;
    // Uploaded while the file is parsed; released with it if the file is then refused.
    ModelTextures freshTextures;
    const LoadResult result = ReadModel(
        path, format, fresh,
        [&freshTextures, &assetDir, &messages](Mesh& mesh) {
            // A model with materials shows their textures instead.
            if (mesh.materials.empty()) LoadTexture(mesh, freshTextures.own, assetDir, messages);
        },
        progress, options);
    if (!result) return result;
    LoadMaterialTextures(fresh, freshTextures.materials, assetDir, messages);
    ReplaceModel(model, textures, std::move(fresh), std::move(freshTextures));
    return result;
}

LoadResult AdoptModel(Mesh& model, ModelTextures& textures, Mesh&& fresh, LoadResult read, const std::string& assetDir,
                      MessageSink& messages) {
    if (!read) return read;
    ModelTextures freshTextures;
    // What LoadModel's hook does after an import that names an own texture.
    if (NamesOwnTexture(fresh) && fresh.materials.empty()) LoadTexture(fresh, freshTextures.own, assetDir, messages);
    LoadMaterialTextures(fresh, freshTextures.materials, assetDir, messages);
    ReplaceModel(model, textures, std::move(fresh), std::move(freshTextures));
    return read;
}

LoadResult LoadXML(Mesh& model, ModelTextures& textures, const std::string& path, const std::string& assetDir,
                   MessageSink& messages, const LoadProgress& progress) {
    return LoadModel(model, textures, path, ModelFormat::XML, assetDir, messages, progress);
}

LoadResult LoadBIN(Mesh& model, ModelTextures& textures, const std::string& path, const LoadProgress& progress) {
    Mesh fresh;
    const LoadResult result = ReadModel(path, ModelFormat::BIN, fresh, {}, progress);
    if (result) ReplaceModel(model, textures, std::move(fresh), ModelTextures{});
    return result;
}
