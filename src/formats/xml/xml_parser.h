// The XML model parser: libxml2's SAX2 push parser with its callbacks and
// their state, turning a document fed piece by piece into a mesh (through
// MeshContentHandler). No tree is ever built. Entities declared in a DTD are
// never expanded, no DTD is loaded and nothing is fetched from the network.
// The entry points that read a whole document are in xml_reader.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "formats/xml/mesh_content_handler.h"
#include "mesh/mesh.h"

// Size of the pieces a file is fed to the parser in.
inline constexpr std::size_t kXmlChunkBytes = 256 * 1024;

// One document, fed piece by piece. Fills a mesh that should be fresh: when
// the document is refused the mesh holds whatever was read until then (an
// own texture included, which the caller releases).
class XmlModelParser {
public:
    // documentName appears in libxml2's messages only.
    XmlModelParser(Mesh& out, TextureHook textureHook, const std::string& documentName = {});
    ~XmlModelParser();
    XmlModelParser(const XmlModelParser&) = delete;
    XmlModelParser& operator=(const XmlModelParser&) = delete;

    // Parses the next piece; false once the document is refused (more
    // pieces are then ignored).
    bool Feed(std::span<const char> piece);
    // Ends the document: ok, or why it is refused (with the line number).
    LoadResult Finish();

    // A piece of a document's vertex and face lists, parsed on its own
    // (xml_parallel.h): fed "<mesh>", the list it starts in, the piece and
    // the closing tags; only what list_piece_rules.h allows is accepted.
    // firstIndex is the index of the piece's first entry in its list.
    struct ListPiece {
        explicit ListPiece(std::uint64_t first) : firstIndex(first) {}
        std::uint64_t firstIndex;
    };
    XmlModelParser(Mesh& out, ListPiece piece);
    // Ends a piece: true when it was read whole, without a refusal, an
    // error, a warning or anything outside the plain layout.
    bool FinishPiece();

    // Whether the text fed so far ends with the start tag of a vertex list
    // right inside a top-level mesh, parsed and with nothing pending, in
    // UTF-8 and XML 1.0 without namespaces, before any entry was written:
    // then the lists can be parsed in pieces.
    bool AtVertexListStart() const;
    // Takes up at the end of the face list after the pieces read the lists:
    // faces entries in all, and how far the pieces wrote into the arrays.
    // False if the parser did not follow (the document is then refused).
    bool ContinueAfterLists(std::uint64_t faces, std::size_t verticesWritten, std::size_t faceEntriesWritten);

    const MeshContentHandler& Handler() const;

    struct State;  // defined where the libxml2 callbacks are

private:
    std::unique_ptr<State> state_;
};
