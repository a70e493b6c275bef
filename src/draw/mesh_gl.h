// The GL side of a mesh: drawing, the texture of its own image, and the
// loads that swap a fully read model in (their texture uploads need the
// context). The mesh keeps only the image's path and the texture count; its
// GL texture is the caller's GlTexture. Every function needs a current GL
// context.
#pragma once

#include <string>
#include <vector>

#include "base/message_sink.h"
#include "draw/gl_texture.h"
#include "mesh/mesh.h"
#include "formats/model_format.h"

// The GL textures of a model: its own image's (XML, BIN, an imported model
// without materials) and one per material of an imported model, by index
// (a name of 0 where the material has no texture or it did not load).
struct ModelTextures {
    GlTexture own;
    std::vector<GlTexture> materials;
};

// Submits the mesh as client arrays (texture coordinates only when it has
// textures), in batches of whole triangles; leaves the client state off.
void Draw(const Mesh& mesh);

// Under Model's Own: each part with its material's colour and texture, and
// the vertex colours where the mesh has them; a mesh without parts is drawn
// with its own texture as always. Lighting, when on, lights the colours.
void DrawOwnLook(const Mesh& mesh, const ModelTextures& textures);

// Uploads the texture of each of mesh's materials (a file, by the own
// texture's format rule, or an image the model holds) into textures, one
// per material. One that does not load is a warning naming it (the file, or
// the number of the image the model holds): its part is
// drawn in its colour alone.
void LoadMaterialTextures(const Mesh& mesh, std::vector<GlTexture>& textures, const std::string& assetDir,
                          MessageSink& messages);

// Releases texture and forgets the mesh's own image (path and count).
void ClearTexture(Mesh& mesh, GlTexture& texture);
// Uploads the image mesh.texturePath names (BMP, TGA, PNG or JPEG, by the format rule)
// into a fresh name held by texture. A relative path missing in the current
// directory is tried under assetDir. On failure: ClearTexture, false.
bool LoadTexture(Mesh& mesh, GlTexture& texture, const std::string& assetDir, MessageSink& messages);

// Takes over fresh's geometry and freshTextures, releasing textures first.
void ReplaceModel(Mesh& model, ModelTextures& textures, Mesh&& fresh, ModelTextures&& freshTextures);

// Loads a model file into model. The file is read into a fresh mesh; only
// when all of it is valid does it replace model (and its texture replace
// texture, which is released). Otherwise both stay exactly as they were and
// the result says why. assetDir is where relative own-texture paths are
// also looked for.
LoadResult LoadModel(Mesh& model, ModelTextures& textures, const std::string& path, ModelFormat format,
                     const std::string& assetDir, MessageSink& messages, const LoadProgress& progress = {},
                     const ReadOptions& options = {});
// Swaps in a mesh that ReadModel read without GL and without a texture hook
// (any format but XML, whose textures are loaded while it is parsed): its own
// texture is loaded as LoadModel would, then it replaces model. A failed
// read leaves model and texture as they were.
LoadResult AdoptModel(Mesh& model, ModelTextures& textures, Mesh&& fresh, LoadResult read, const std::string& assetDir,
                      MessageSink& messages);
LoadResult LoadXML(Mesh& model, ModelTextures& textures, const std::string& path, const std::string& assetDir,
                   MessageSink& messages, const LoadProgress& progress = {});
LoadResult LoadBIN(Mesh& model, ModelTextures& textures, const std::string& path, const LoadProgress& progress = {});
