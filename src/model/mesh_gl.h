// The GL side of a mesh: drawing, its own texture, and the loads that swap
// a fully read model in (their texture uploads need the context). Every
// function needs a current GL context.
#pragma once

#include <string>

#include "base/message_sink.h"
#include "formats/model_format.h"
#include "mesh/mesh.h"

void Draw(const Mesh& mesh);

// Releases the own texture and forgets its path.
void ClearTexture(Mesh& mesh);
// Loads the own texture from mesh.texturePath (BMP or TGA, by the format
// rule). A relative path missing in the current directory is tried under
// assetDir. On failure: ClearTexture, false.
bool LoadTexture(Mesh& mesh, const std::string& assetDir, MessageSink& messages);

// Takes over fresh's geometry and own texture, releasing model's own texture first.
void ReplaceModel(Mesh& model, Mesh&& fresh);

// Loads a model file into model. The file is read into a fresh mesh; only
// when all of it is valid does it replace model (whose own texture is then
// released). Otherwise model stays exactly as it was and the result says
// why. assetDir is where relative own-texture paths are also looked for.
LoadResult LoadModel(Mesh& model, const std::string& path, ModelFormat format, const std::string& assetDir,
                     MessageSink& messages, const LoadProgress& progress = {}, const ReadOptions& options = {});
// Swaps in a mesh that ReadModel read without GL and without a texture hook
// (any format but XML, whose textures are loaded while it is parsed): its own
// texture is loaded as LoadModel would, then it replaces model. A failed
// read leaves model as it was.
LoadResult AdoptModel(Mesh& model, Mesh&& fresh, LoadResult read, const std::string& assetDir, MessageSink& messages);
LoadResult LoadXML(Mesh& model, const std::string& path, const std::string& assetDir, MessageSink& messages,
                   const LoadProgress& progress = {});
LoadResult LoadBIN(Mesh& model, const std::string& path, const LoadProgress& progress = {});
