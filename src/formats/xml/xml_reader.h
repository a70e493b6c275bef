// The XML model reader's entry points: a whole document, from memory or from
// a file, fed to the parser (xml_parser.h) in fixed-size chunks, so memory
// stays bounded whatever the file's size. A big file in the exporter's plain
// layout has its vertex and face lists parsed on all cores (xml_parallel.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "formats/xml/xml_parser.h"
#include "mesh/mesh.h"

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
    // Of those, the pieces in the exporter's strict form, read without libxml2.
    unsigned piecesByHand = 0;
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
