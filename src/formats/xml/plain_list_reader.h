// A piece of an XML model's vertex and face lists read by hand, without
// libxml2, when it is written in the strict form the exporter writes:
//
//   entries of the list the piece is in, at most one change of list
//   ("</vertList>" and "<faceList>" with white space between), where an
//   entry is "<vertex>" or "<face>", its leaves ("<vertNX>TEXT</vertNX>",
//   "<faceB>TEXT</faceB>", ...) and its end tag, with runs of at most
//   kMaxPlainSpace XML white space bytes between tags, and TEXT one to
//   kMaxPlainNumber bytes of ASCII letters, digits, '.', '+' or '-'.
//
// In that form libxml2 hands the content handler exactly these elements and
// these texts, so storing each leaf's number as MeshContentHandler does
// (ReadReal, ReadInteger, the same checks) gives the same arrays. Anything
// else (attributes, white space in a tag, a reference, a comment, a longer
// text, an index beyond the arrays, a face index out of range) ends the read
// unaccepted, and the caller reads the piece another way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "formats/xml/document_bytes.h"
#include "mesh/mesh.h"

inline constexpr std::size_t kMaxPlainSpace = 256;
inline constexpr std::size_t kMaxPlainNumber = 64;

struct PlainPieceBounds {
    std::uint64_t begin = 0;  // the piece's first byte: an entry's start tag, or the vertex list's content
    // The piece ends at the first entry start tag (EntryTagAt) at or after
    // this offset, or at listsEnd.
    std::uint64_t stopFrom = 0;
    std::uint64_t listsEnd = 0;  // where the face list's end tag starts
    // Entries of each list before begin; the piece's first entry has the
    // index of its own list's.
    std::uint64_t verticesBefore = 0;
    std::uint64_t facesBefore = 0;
};

struct PlainPieceRead {
    bool accepted = false;  // read to its end in the strict form
    std::uint64_t end = 0;  // where it stopped, when accepted
    bool startsInFaces = false;
    bool endsInFaces = false;
    // How far it wrote into the arrays, also when not accepted: one past the
    // highest vertex, and past the highest face entry (as MeshContentHandler counts).
    std::size_t verticesWritten = 0;
    std::size_t faceEntriesWritten = 0;
};

// advance is told of each stretch of bytes read (they add up to end - begin
// when accepted); false from it ends the read unaccepted.
PlainPieceRead ReadPlainListPiece(const DocumentBytes& document, Mesh& mesh, const PlainPieceBounds& bounds,
                                  const std::function<bool(std::uint64_t)>& advance, std::vector<char>& scratch);
