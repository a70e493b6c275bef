#include "draw/mesh_gl.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdint>

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

bool LoadTexture(Mesh& mesh, GlTexture& texture, const std::string& assetDir, MessageSink& sink) {
    // A second "texture" element replaces the first: its object goes.
    const unsigned int name = texture.Generate();
    bool loaded = false;
    // A relative path missing here may be one of the installed assets.
    const std::string file = ResolveAssetPath(mesh.texturePath, assetDir);
    OwnTextureMessages messages(sink, file);
    switch (OwnTextureFormatForPath(mesh.texturePath)) {
    case OwnTextureFormat::BMP: loaded = LoadBMPTexture(file, name, messages); break;
    case OwnTextureFormat::TGA: loaded = LoadTGATexture(file, name, messages); break;
    case OwnTextureFormat::PNG: loaded = LoadPNGTexture(file, name, messages); break;
    case OwnTextureFormat::JPEG: loaded = LoadJPEGTexture(file, name, messages); break;
    case OwnTextureFormat::Unknown: break;
    }
    if (!loaded) ClearTexture(mesh, texture);
    return loaded;
}

void Draw(const Mesh& mesh) {
    // Counts and arrays agree for every loaded model; a mesh filled by hand
    // that breaks this draws nothing rather than reading past an array.
    const std::size_t n = mesh.numVerts;
    const std::size_t indexCount = mesh.numFaces > 0 ? std::size_t{3} * static_cast<std::uint32_t>(mesh.numFaces) : 0;
    if (mesh.verts.size() < 3 * n || mesh.normals.size() < 3 * n || mesh.uvs.size() < 2 * n ||
        mesh.faces.size() < indexCount)
        return;

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, mesh.verts.data());
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, mesh.normals.data());
    if (mesh.numTextures != 0) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, mesh.uvs.data());
    }
    // Batches of whole triangles with a flush after each: a software
    // rasteriser bins a whole submission before it draws, so a big model in
    // one call holds every binned triangle at once (a million triangles took
    // about 60 MB more at the peak), while batches are drawn as binning goes
    // on. This also keeps every count within GLsizei.
    constexpr std::size_t kIndicesPerBatch = 3 * 16384;
    for (std::size_t first = 0; first < indexCount; first += kIndicesPerBatch) {
        const std::size_t count = std::min(indexCount - first, kIndicesPerBatch);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_INT, mesh.faces.data() + first);
        if (first + count < indexCount) glFlush();
    }
    if (mesh.numTextures != 0) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void ReplaceModel(Mesh& model, GlTexture& texture, Mesh&& fresh, GlTexture&& freshTexture) {
    if (&fresh == &model) return;
    model = std::move(fresh);
    texture = std::move(freshTexture);
    // The moved-from mesh must not think it still has a texture.
    fresh.texturePath.clear();
    fresh.numVerts = 0;
    fresh.numFaces = 0;
    fresh.numTextures = 0;
}

LoadResult LoadModel(Mesh& model, GlTexture& texture, const std::string& path, ModelFormat format,
                     const std::string& assetDir, MessageSink& messages, const LoadProgress& progress,
                     const ReadOptions& options) {
    Mesh fresh;
    // Uploaded while the file is parsed; released with it if the file is then refused.
    GlTexture freshTexture;
    const LoadResult result = ReadModel(
        path, format, fresh,
        [&freshTexture, &assetDir, &messages](Mesh& mesh) { LoadTexture(mesh, freshTexture, assetDir, messages); },
        progress, options);
    if (result) ReplaceModel(model, texture, std::move(fresh), std::move(freshTexture));
    return result;
}

LoadResult AdoptModel(Mesh& model, GlTexture& texture, Mesh&& fresh, LoadResult read, const std::string& assetDir,
                      MessageSink& messages) {
    if (!read) return read;
    GlTexture freshTexture;
    // What LoadModel's hook does after an import that names an own texture.
    if (NamesOwnTexture(fresh)) LoadTexture(fresh, freshTexture, assetDir, messages);
    ReplaceModel(model, texture, std::move(fresh), std::move(freshTexture));
    return read;
}

LoadResult LoadXML(Mesh& model, GlTexture& texture, const std::string& path, const std::string& assetDir,
                   MessageSink& messages, const LoadProgress& progress) {
    return LoadModel(model, texture, path, ModelFormat::XML, assetDir, messages, progress);
}

LoadResult LoadBIN(Mesh& model, GlTexture& texture, const std::string& path, const LoadProgress& progress) {
    Mesh fresh;
    const LoadResult result = ReadModel(path, ModelFormat::BIN, fresh, {}, progress);
    if (result) ReplaceModel(model, texture, std::move(fresh), GlTexture{});
    return result;
}
