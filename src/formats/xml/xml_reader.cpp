#include "formats/xml/xml_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "base/regular_file.h"
#include "formats/xml/document_bytes.h"
#include "formats/xml/xml_parallel.h"

namespace {

// The document from `from` on, in the chunks a whole parse would use.
void FeedFrom(XmlModelParser& parser, std::string_view document, std::uint64_t from, std::size_t chunkBytes) {
    const std::size_t step = std::max<std::size_t>(chunkBytes, 1);
    for (std::size_t at = from; at < document.size();) {
        const std::size_t next = (at / step + 1) * step;
        const std::string_view piece = document.substr(at, next - at);
        if (!parser.Feed(std::span<const char>(piece.data(), piece.size()))) break;
        at = next;
    }
}

}  // namespace

XmlLoadResult ParseXMLParallel(std::string_view document, Mesh& out, const TextureHook& textureHook, unsigned pieces) {
    XmlModelParser parser(out, textureHook);
    const ListsOutcome lists = ParseListsInParallel(parser, out, MemoryBytes(document), pieces, {});
    if (lists.done) return {*lists.done};
    FeedFrom(parser, document, lists.resumeAt, kXmlChunkBytes);
    return {parser.Finish(), lists.piecesParsed, lists.piecesByHand};
}

LoadResult ParseXML(std::string_view document, Mesh& out, const TextureHook& textureHook, std::size_t chunkBytes) {
    XmlModelParser parser(out, textureHook);
    FeedFrom(parser, document, 0, chunkBytes);
    return parser.Finish();
}

namespace {

// pieces: as many as the file's size and the machine's cores are worth when unset.
XmlLoadResult ReadXmlFile(const std::string& path, Mesh& out, const TextureHook& textureHook,
                          const LoadProgress& progress, std::optional<unsigned> pieces) {
    const OpenedFile file = OpenRegularFile(path);
    if (!file) return {LoadResult::Failure(file.error)};
    const int fd = file.file.get();
    const std::uint64_t total = file.size;

    XmlModelParser parser(out, textureHook, path);
    std::uint64_t fed = 0;
    unsigned piecesParsed = 0;
    unsigned piecesByHand = 0;
    if (const unsigned count = pieces.value_or(XmlPieceCount(total)); count >= 2) {
        const ListsOutcome lists = ParseListsInParallel(parser, out, FileBytes(fd, total), count, progress);
        if (lists.done) return {*lists.done};
        fed = lists.resumeAt;
        piecesParsed = lists.piecesParsed;
        piecesByHand = lists.piecesByHand;
        if (lseek(fd, static_cast<off_t>(fed), SEEK_SET) < 0)
            return {LoadResult::Failure("read error: " + std::string(std::strerror(errno)))};
    }
    std::vector<char> buffer(kXmlChunkBytes);
    for (;;) {
        // On the chunk grid of a whole parse, also after the lists.
        const ssize_t got = read(fd, buffer.data(), buffer.size() - fed % buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return {LoadResult::Failure("read error: " + std::string(std::strerror(errno)))};
        if (got == 0) break;
        if (!parser.Feed(std::span<const char>(buffer.data(), static_cast<std::size_t>(got)))) break;
        fed += static_cast<std::uint64_t>(got);
        if (progress && !progress(fed, std::max(total, fed))) return {{false, true, "loading was cancelled"}};
    }
    return {parser.Finish(), piecesParsed, piecesByHand};
}

}  // namespace

LoadResult ReadXML(const std::string& path, Mesh& out, const TextureHook& textureHook, const LoadProgress& progress) {
    return ReadXmlFile(path, out, textureHook, progress, std::nullopt).result;
}

XmlLoadResult ReadXMLInPieces(const std::string& path, Mesh& out, unsigned pieces, const TextureHook& textureHook,
                              const LoadProgress& progress) {
    return ReadXmlFile(path, out, textureHook, progress, pieces);
}
