// The GL side of a mesh: drawing, the texture of its own image, and the
// loads that swap a fully read model in (their texture uploads need the
// context). The mesh keeps only the image's path and the texture count; its
// GL texture is the caller's GlTexture. Every function needs a current GL
// context.
#pragma once

#include <string>

#include "base/message_sink.h"
#include "draw/gl_texture.h"
#include "mesh/mesh.h"
#include "formats/model_format.h"

// Submits the mesh as client arrays (texture coordinates only when it has
// textures), in batches of whole triangles; leaves the client state off.
void Draw(const Mesh& mesh);

// Releases texture and forgets the mesh's own image (path and count).
void ClearTexture(Mesh& mesh, GlTexture& texture);
// Uploads the image mesh.texturePath names (BMP, TGA, PNG or JPEG, by the format rule)
// into a fresh name held by texture. A relative path missing in the current
// directory is tried under assetDir. On failure: ClearTexture, false.
bool LoadTexture(Mesh& mesh, GlTexture& texture, const std::string& assetDir, MessageSink& messages);

// Takes over fresh's geometry and freshTexture, releasing texture first.
void ReplaceModel(Mesh& model, GlTexture& texture, Mesh&& fresh, GlTexture&& freshTexture);

// Loads a model file into model. The file is read into a fresh mesh; only
// when all of it is valid does it replace model (and its texture replace
// texture, which is released). Otherwise both stay exactly as they were and
// the result says why. assetDir is where relative own-texture paths are
// also looked for.
LoadResult LoadModel(Mesh& model, GlTexture& texture, const std::string& path, ModelFormat format,
                     const std::string& assetDir, MessageSink& messages, const LoadProgress& progress = {},
                     const ReadOptions& options = {});
// Swaps in a mesh that ReadModel read without GL and without a texture hook
// (any format but XML, whose textures are loaded while it is parsed): its own
// texture is loaded as LoadModel would, then it replaces model. A failed
// read leaves model and texture as they were.
LoadResult AdoptModel(Mesh& model, GlTexture& texture, Mesh&& fresh, LoadResult read, const std::string& assetDir,
                      MessageSink& messages);
LoadResult LoadXML(Mesh& model, GlTexture& texture, const std::string& path, const std::string& assetDir,
                   MessageSink& messages, const LoadProgress& progress = {});
LoadResult LoadBIN(Mesh& model, GlTexture& texture, const std::string& path, const LoadProgress& progress = {});
