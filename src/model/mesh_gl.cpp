// The GL half of Mesh: drawing, the own texture, and the loaders that swap
// a fully read model in (their texture uploads need the context).
#include <epoxy/gl.h>

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "model/bin_format.h"
#include "model/mesh.h"
#include "model/xml_loader.h"
#include "textures/texture_loaders.h"
#include "textures/texture_modes.h"

Mesh model;

namespace {

// Whether path ends in ext (three lower-case letters), in any case.
bool HasExtension(const std::string& path, std::string_view ext) {
    if (path.size() < ext.size()) return false;
    return std::equal(ext.begin(), ext.end(), path.end() - static_cast<std::ptrdiff_t>(ext.size()),
                      [](char e, char c) { return e == std::tolower(static_cast<unsigned char>(c)); });
}

}  // namespace

void Mesh::ClearTexture() {
    if (texture != 0) glDeleteTextures(1, &texture);
    texture = 0;
    texturePath.clear();
    numTextures = 0;
}

bool Mesh::LoadTexture(MessageSink& messages) {
    // A second "texture" element replaces the first: its object goes.
    if (texture != 0) glDeleteTextures(1, &texture);
    texture = 0;
    glGenTextures(1, &texture);
    bool loaded = false;
    // A relative path missing here may be one of the installed assets.
    const std::string file = ResolveAssetPath(texturePath, startupDir);
    if (HasExtension(texturePath, "bmp"))
        loaded = LoadBMPTexture(file, texture, messages);
    else if (HasExtension(texturePath, "tga"))
        loaded = LoadTGATexture(file, texture, messages);
    if (!loaded) ClearTexture();
    return loaded;
}

void Mesh::Draw() const {
    // Counts and arrays agree for every loaded model; a mesh filled by hand
    // that breaks this draws nothing rather than reading past an array.
    const std::size_t n = numVerts;
    const std::size_t indexCount = numFaces > 0 ? std::size_t{3} * static_cast<std::uint32_t>(numFaces) : 0;
    if (verts.size() < 3 * n || normals.size() < 3 * n || uvs.size() < 2 * n || faces.size() < indexCount) return;

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, verts.data());
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, normals.data());
    if (numTextures != 0) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, uvs.data());
    }
    // A count beyond GLsizei goes in several calls of whole triangles.
    constexpr std::size_t kMaxIndicesPerCall = 3 * (std::size_t{INT32_MAX} / 3);
    for (std::size_t first = 0; first < indexCount; first += kMaxIndicesPerCall) {
        const std::size_t count = std::min(indexCount - first, kMaxIndicesPerCall);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_INT, faces.data() + first);
    }
    if (numTextures != 0) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void Mesh::ReplaceWith(Mesh&& other) {
    if (&other == this) return;
    ClearTexture();
    *this = std::move(other);
    // The moved-from mesh must not think it still owns the texture object.
    other.texture = 0;
    other.texturePath.clear();
    other.numVerts = 0;
    other.numFaces = 0;
    other.numTextures = 0;
}

LoadResult Mesh::LoadXML(const std::string& path, MessageSink& messages, const LoadProgress& progress) {
    Mesh fresh;
    const LoadResult result =
        ReadXML(path, fresh, [&messages](Mesh& mesh) { mesh.LoadTexture(messages); }, progress);
    if (result)
        ReplaceWith(std::move(fresh));
    else
        fresh.ClearTexture();  // uploaded while parsing a file that was then refused
    return result;
}

LoadResult Mesh::LoadBIN(const std::string& path, const LoadProgress& progress) {
    Mesh fresh;
    const LoadResult result = ReadBIN(path, fresh, progress);
    if (result) ReplaceWith(std::move(fresh));
    return result;
}
