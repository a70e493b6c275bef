// XML models through libxml2's SAX2 push parser: the document is fed in
// fixed-size chunks, so memory stays bounded whatever the file's size, and
// no tree is ever built. Entities declared in a DTD are never expanded, no
// DTD is loaded and nothing is fetched from the network.
#pragma once

#include <cstddef>
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

    const MeshContentHandler& Handler() const;

    struct State;  // defined where the libxml2 callbacks are

private:
    std::unique_ptr<State> state_;
};

// A whole document in memory, fed in pieces of chunkBytes (tests feed one
// byte at a time to check that text split anywhere reads the same).
LoadResult ParseXML(std::string_view document, Mesh& out, const TextureHook& textureHook = {},
                    std::size_t chunkBytes = kXmlChunkBytes);

// A file, read and fed in chunks of kXmlChunkBytes; progress gets the bytes
// fed so far and the file's size after each chunk, and false cancels.
LoadResult ReadXML(const std::string& path, Mesh& out, const TextureHook& textureHook = {},
                   const LoadProgress& progress = {});
