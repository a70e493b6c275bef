// The vertex and face lists of a big XML model parsed on all cores.
//
// A document in the exporter's plain layout (the counts and the texture
// first, then one vertex list of leaf elements, one face list, the mesh's
// end, and no DTD, comment, CDATA section or processing instruction) is cut
// at entry start tags into pieces. A fast count of the start tags before a
// piece gives the index of its first entry; each piece goes to a push parser
// of its own, in chunks, and writes its own part of the arrays. The head of
// the document (counts, texture hook) and its tail go through the caller's
// parser as always, on the calling thread.
//
// Whatever a piece meets that the plain layout lacks, a refusal included,
// the pieces' writes are undone and the caller's parser reads the lists
// itself, from where it stands: the result, refusal reason and line too, is
// always that of the whole document fed to one parser.
#pragma once

#include <cstdint>
#include <optional>

#include "model/document_bytes.h"
#include "model/mesh.h"
#include "model/xml_loader.h"

struct ListsOutcome {
    std::optional<LoadResult> done;  // the load ended here (cancelled)
    std::uint64_t resumeAt = 0;      // else where the caller's parser goes on
    // Pieces the lists were read in side by side; 0 when the caller's parser
    // reads them (a document outside the plain layout, or a piece that failed).
    unsigned piecesParsed = 0;
};

// Pieces worth having for a document of this size on this machine; 1: none.
unsigned XmlPieceCount(std::uint64_t documentBytes);

// Feeds the caller's fresh parser the document's head and, when the lists
// can be read in pieces, reads them into mesh (the parser's). progress is
// called on the calling thread only, with the bytes parsed by all pieces.
ListsOutcome LoadListsInParallel(XmlModelParser& parser, Mesh& mesh, const DocumentBytes& document, unsigned pieces,
                                 const LoadProgress& progress);
