// The vertex and face lists of a big XML model read on all cores.
//
// A document in the exporter's plain layout (the counts and the texture
// first, then one vertex list of leaf elements, one face list, the mesh's
// end, and no DTD, comment, CDATA section or processing instruction) is cut
// into ranges, several per core, which a few workers take in turn from a
// queue: first a fast count of the entries' start tags in each range, then
// the piece that starts at the first entry of each range, whose first index
// is the count of the ranges before it. A piece is read by hand when it is
// in the strict form the exporter writes (plain_list_reader.h), else by a
// push parser of its own; either writes its own part of the arrays. The
// head of the document (counts, texture hook) goes through the caller's
// parser on the calling thread while the workers count; the arrays are
// written only once it is read. The tail goes through the caller's parser
// as always.
//
// Whatever a piece meets that the plain layout lacks, a refusal included,
// the pieces' writes are undone and the caller's parser reads the lists
// itself, from where it stands: the result, refusal reason and line too, is
// always that of the whole document fed to one parser.
#pragma once

#include <cstdint>
#include <optional>

#include "formats/xml/document_bytes.h"
#include "formats/xml/xml_parser.h"
#include "mesh/mesh.h"

struct ListsOutcome {
    std::optional<LoadResult> done;  // the load ended here (cancelled)
    std::uint64_t resumeAt = 0;      // else where the caller's parser goes on
    // Pieces the lists were read in side by side; 0 when the caller's parser
    // reads them (a document outside the plain layout, or a piece that failed).
    unsigned piecesParsed = 0;
    unsigned piecesByHand = 0;  // of those, read by ReadPlainListPiece
};

// Pieces worth having for a document of this size on this machine; 1: none.
unsigned XmlPieceCount(std::uint64_t documentBytes);

// Feeds the caller's fresh parser the document's head and, when the lists
// can be read in pieces, reads them into mesh (the parser's). progress is
// called on the calling thread only, with the bytes parsed by all pieces.
ListsOutcome ParseListsInParallel(XmlModelParser& parser, Mesh& mesh, const DocumentBytes& document, unsigned pieces,
                                  const LoadProgress& progress);
