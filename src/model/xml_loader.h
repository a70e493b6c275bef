// XML models through libxml2's SAX2 push parser: the document is fed in
// fixed-size chunks, so memory stays bounded whatever the file's size, and
// no tree is ever built. Entities declared in a DTD are never expanded, no
// DTD is loaded and nothing is fetched from the network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "model/mesh.h"
#include "model/mesh_content_handler.h"

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

// A whole document in memory, fed in pieces of chunkBytes (tests feed one
// byte at a time to check that text split anywhere reads the same).
LoadResult ParseXML(std::string_view document, Mesh& out, const TextureHook& textureHook = {},
                    std::size_t chunkBytes = kXmlChunkBytes);

// A load's result, with how it read the vertex and face lists.
struct XmlLoadResult {
    LoadResult result;
    // Pieces the lists were parsed in side by side; 0 when one parser read
    // them in order (a document outside the plain layout, or a piece that
    // failed and left them to it). A result never shows which.
    unsigned piecesParsed = 0;
};

// The same with the vertex and face lists of a document in the exporter's
// plain layout parsed in `pieces` pieces side by side (xml_parallel.h);
// other documents are parsed as ParseXML does. Mesh and result are those of
// ParseXML, byte for byte.
XmlLoadResult ParseXMLParallel(std::string_view document, Mesh& out, const TextureHook& textureHook, unsigned pieces);

// A file, read and fed in chunks of kXmlChunkBytes; progress gets the bytes
// fed so far and the file's size after each chunk, and false cancels. A big
// file in the plain layout has its lists parsed on all cores (progress is
// still reported on the calling thread).
LoadResult ReadXML(const std::string& path, Mesh& out, const TextureHook& textureHook = {},
                   const LoadProgress& progress = {});
// The same with a plain layout's lists cut into `pieces` pieces whatever
// the file's size and the machine's cores.
XmlLoadResult ReadXMLInPieces(const std::string& path, Mesh& out, unsigned pieces, const TextureHook& textureHook = {},
                              const LoadProgress& progress = {});
