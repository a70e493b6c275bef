// A model's arrays passed from the import process to its parent without a
// copy on the way: the child writes them into a memory file (memfd) the
// parent made before the fork, and seals it against any change of size or
// content; the parent checks the seals and the size, maps the file private
// and takes the pages as the mesh's arrays, after validating them in place
// as a BIN file's are. The file holds the BIN layout's four arrays in its
// order, each starting on a page of its own (SharedArraysLayout).
#pragma once

#include <cstdint>
#include <string>

#include "formats/bin/bin_format.h"
#include "mesh/mesh.h"

// The seals a memory file must carry before its parent maps it.
int RequiredSeals();

// Where each array of a model with these counts starts in the file, and the
// file's size.
struct SharedArraysLayout {
    std::uint64_t verts = 0, normals = 0, uvs = 0, faces = 0, bytes = 0;
};
SharedArraysLayout SharedArraysLayoutFor(const BinHeader& header);

// A memory file that can be sealed, or an invalid descriptor (the model then
// goes through the stream).
int CreateSharedArraysFile();

// In the child: sizes fd for mesh, writes its arrays (each freed once it is
// written; pages of zeros are left as holes, which read as zeros), unmaps
// them and seals the file. False when any of that fails.
bool PutSharedArrays(int fd, Mesh& mesh);

// In the parent: the arrays of a model with header's counts from fd into
// out's arrays (out's counts are not touched). Empty when they are there,
// else why not: missing seals, a size that disagrees with the counts, a
// face index out of range or a position that is not finite.
std::string TakeSharedArrays(int fd, const BinHeader& header, Mesh& out);
