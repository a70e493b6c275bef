// Models in the common interchange formats (those whose declaration in
// model_format.cpp names the import library's reader), read through the
// library into one mesh:
//   - every mesh of the scene, with its node transforms applied;
//   - polygons triangulated; points and lines dropped;
//   - smooth normals made where the file has none, and for STL (whose
//     normals are one per triangle) made from the corners, smooth across
//     edges under 30 degrees and sharp across the others;
//   - identical vertices joined (vertex_join.h), within each mesh;
//   - texture coordinates from the first channel (zero where there are none);
//   - the own texture (numTextures 1, texturePath) is the diffuse texture of
//     the first mesh's material when it is a BMP, TGA, PNG or JPEG file (by
//     the own-texture format rule, formats/texture_format.h), resolved
//     against the model file's folder. Nothing is loaded: that is GL work.
// Only the one reader of the format the extension names is registered with
// the library, after the content passed the format's signature check: the
// library never picks a reader by guessing from the content.
// The library (Debian's 5.2.5) is built with its assertions on and reads out
// of bounds on some hostile binary PLY files: a bad file can abort or crash
// the process that reads it. ReadScene therefore runs the library in a child
// process (import_process.h), with memory and processor time in proportion
// to the file and the files it refers to; ParseScene runs it in the
// caller's. Counts the file declares are checked against its bytes before the
// library sees it (its declaration's counts check), and a position that is
// not finite refuses the model.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "formats/model_format.h"
#include "formats/scene/import_process.h"
#include "mesh/mesh.h"

// Reads a file of a format the import library reads (by its extension) into out, which should be
// fresh and is only written when the whole model is valid. Files next to it
// that it names (an OBJ's material library, a glTF's buffers) are read too.
// Refused with a reason for an unknown extension, a wrong signature, what
// the library reports for a file it can't read, no triangles, or counts
// beyond the mesh's limits, declared counts the file can't hold, a position
// that is not finite, when the library stops the child process (an abort, a
// crash: the reason names the signal) and when the import exceeds its
// limits: ChildLimitsFor the file's size unless limits are given, raised for
// each file it refers to. progress sees fractions of the file's size; false
// cancels (result.cancelled).
// Files it refers to are opened only when regular, and only inside the
// model's folder tree unless options allow; what was refused is named in
// result.warnings (or in the reason, when the model can't do without it).
LoadResult ReadScene(const std::string& path, Mesh& out, const LoadProgress& progress = {},
                     const ReadOptions& options = {}, const std::optional<ChildLimits>& limits = std::nullopt);

// The same from memory, in the calling process (tests of what the library
// makes of a file): nothing but these bytes is read, so references to other
// files fail, and a texture path stays as the file gives it. A file that
// makes the library abort or crash takes the caller with it: not for files
// from users.
LoadResult ParseScene(std::span<const std::uint8_t> bytes, ModelFormat format, Mesh& out);
