// Writes a mesh in the XML model schema the reader reads: the counts, the own
// texture's path when there is one, then every vertex (position, normal,
// texture coordinates) and every face. Reals are written in the shortest
// form that reads back as the same float, so a mesh read from BIN, written
// here and read again gives the same BIN bytes (NaN payloads aside).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "mesh/mesh.h"

// Why mesh can't be written as XML: its arrays don't match its counts, or its
// texture path holds a character XML 1.0 can't carry. Empty when it can.
std::string XmlWriteProblem(const Mesh& mesh);

// Hands mesh as XML text to put in blocks of about a megabyte; stops at the
// first put that returns false and returns false. mesh must have no
// XmlWriteProblem.
bool PutXML(const Mesh& mesh, const BytePut& put);

// Writes straight to path and flushes it to disk (callers that must not
// leave a partial file use WriteModel). Refused with the reason when mesh has
// an XmlWriteProblem or the file can't be written.
WriteResult WriteXML(const Mesh& mesh, const std::string& path);
