// Writes a mesh in the XML model schema the reader reads: the counts, the own
// texture's path when there is one, then every vertex (position, normal,
// texture coordinates) and every face. Reals are written in the shortest
// form that reads back as the same float, so a mesh read from BIN, written
// here and read again gives the same BIN bytes (NaN payloads aside).
#pragma once

#include <string>

#include "mesh/mesh.h"

// Writes straight to path (callers that must not leave a partial file use
// WriteModel). Refused with the reason when the mesh's arrays don't match its
// counts, the texture path holds a character XML 1.0 can't carry, or the
// file can't be written.
WriteResult WriteXML(const Mesh& mesh, const std::string& path);
