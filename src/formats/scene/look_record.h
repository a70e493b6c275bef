// The make-up of an imported model (parts, materials, vertex colours and the
// images it holds) as the import process sends it to its parent, beside the
// geometry in the BIN layout. Little-endian, in this order:
//   u32 parts,     then per part: u32 first face, u32 face count, u32 material
//   u32 materials, then per material: 4 x f32 base colour, i32 image (-1: none),
//                  u32 path bytes, the path
//   u32 colours    0, or 1 followed by 4 x f32 per vertex
//   u32 images,    then per image: u64 bytes, the bytes
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "mesh/mesh.h"

// The bytes PutLook hands over for mesh.
std::uint64_t LookBytes(const Mesh& mesh);

// Hands mesh's make-up to put in the layout above; false when a put fails.
bool PutLook(const Mesh& mesh, const BytePut& put);

// Reads the make-up in bytes into mesh, whose geometry is read already. Every
// count is checked against the bytes left before anything is allocated, and
// the result against the mesh (CheckMeshLook). Refused with the reason; mesh's
// make-up is then left empty.
LoadResult ParseLook(std::span<const std::uint8_t> bytes, Mesh& mesh);
