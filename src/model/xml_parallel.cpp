#include "model/xml_parallel.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <string_view>
#include <thread>
#include <vector>

#include "model/xml_tag_scan.h"

namespace {

constexpr std::string_view kVertListStart = "<vertList>";
constexpr std::string_view kFaceListEnd = "</faceList>";
constexpr std::string_view kMeshEnd = "</mesh>";
// The document's end is looked for in its last bytes only.
constexpr std::size_t kTailBytes = 4096;
// Bytes read past a scanned chunk so that a tag cut by its end is still named.
constexpr std::size_t kLookahead = 16;

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view Text(std::span<const char> bytes) { return {bytes.data(), bytes.size()}; }
std::span<const char> Bytes(std::string_view text) { return {text.data(), text.size()}; }

// Where the face list's end tag starts, when after it come only the mesh's
// end and white space: nothing there can be refused, so the line the caller's
// parser counts after the lists never shows.
std::optional<std::uint64_t> FaceListEnd(const DocumentBytes& document) {
    std::vector<char> scratch;
    const std::uint64_t from = document.Size() - std::min<std::uint64_t>(document.Size(), kTailBytes);
    const auto tail = document.Read(from, kTailBytes, scratch);
    if (!tail) return std::nullopt;
    std::string_view text = Text(*tail);
    const auto trim = [&text] {
        while (!text.empty() && IsXmlSpace(text.back())) text.remove_suffix(1);
    };
    trim();
    if (!text.ends_with(kMeshEnd)) return std::nullopt;
    text.remove_suffix(kMeshEnd.size());
    trim();
    if (!text.ends_with(kFaceListEnd)) return std::nullopt;
    return from + text.size() - kFaceListEnd.size();
}

struct Piece {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::uint64_t firstIndex = 0;  // in the list it starts in
    bool startsInFaces = false;
    bool endsInFaces = false;
    // How far its parser wrote into the arrays.
    std::size_t verticesWritten = 0;
    std::size_t faceEntriesWritten = 0;
};

// What the workers share. Each range of the lists is scanned by one worker,
// which then parses the piece that starts in it (if one does).
struct Work {
    Work(const DocumentBytes& d, Mesh& m, std::uint64_t begin, std::uint64_t end, unsigned n)
        : document(d), mesh(m), listsBegin(begin), listsEnd(end), counts(n), pieces(n) {}

    std::uint64_t RangeBegin(std::size_t k) const { return listsBegin + (listsEnd - listsBegin) * k / counts.size(); }
    void Fail() { failed = stop = true; }
    void Tick() {
        events.fetch_add(1);
        events.notify_one();
    }

    const DocumentBytes& document;
    Mesh& mesh;
    const std::uint64_t listsBegin;
    const std::uint64_t listsEnd;
    std::vector<TagCounts> counts;
    std::vector<std::optional<Piece>> pieces;
    bool plain = false;           // set by Plan
    std::uint64_t faceTotal = 0;  // entries in the face list, set by Plan
    std::atomic<bool> stop{false};
    std::atomic<bool> failed{false};
    std::atomic<std::uint64_t> parsedBytes{0};
    std::atomic<std::uint64_t> events{0};  // grows with each chunk parsed and each worker's end
    std::atomic<unsigned> finished{0};
};

// Once every range is counted: the pieces, each starting at the first entry
// of its range (the first at the lists' start), with the entries before it.
void Plan(Work& work) noexcept {
    if (work.stop) return;
    std::optional<std::uint64_t> vertexListEnd;
    for (const TagCounts& c : work.counts) {
        if (c.markup) return;
        if (!vertexListEnd) vertexListEnd = c.vertexListEnd;
    }
    if (!vertexListEnd) return;
    const std::uint64_t split = *vertexListEnd;
    std::uint64_t vertices = 0;
    std::uint64_t faces = 0;
    Piece* previous = nullptr;
    for (std::size_t k = 0; k < work.counts.size(); ++k) {
        const TagCounts& c = work.counts[k];
        const std::optional<std::uint64_t> begin = k == 0 ? work.listsBegin : c.firstEntry;
        if (begin) {
            Piece& piece = work.pieces[k].emplace();
            piece.begin = *begin;
            piece.startsInFaces = *begin > split;
            piece.firstIndex = piece.startsInFaces ? faces : vertices;
            if (previous) previous->end = *begin;
            previous = &piece;
        }
        vertices += c.vertices;
        faces += c.faces;
    }
    previous->end = work.listsEnd;
    for (auto& piece : work.pieces)
        if (piece) piece->endsInFaces = piece->end > split;
    work.faceTotal = faces;
    work.plain = true;
}

struct Planner {
    Work* work;
    void operator()() noexcept { Plan(*work); }
};

void Scan(Work& work, std::size_t k, std::vector<char>& scratch) {
    const std::uint64_t end = work.RangeBegin(k + 1);
    for (std::uint64_t at = work.RangeBegin(k); at < end && !work.stop; at += kXmlChunkBytes) {
        const std::size_t limit = static_cast<std::size_t>(std::min<std::uint64_t>(kXmlChunkBytes, end - at));
        const auto bytes = work.document.Read(at, limit + kLookahead, scratch);
        if (!bytes) return work.Fail();
        CountTags(*bytes, limit, at, work.counts[k]);
    }
}

void ParsePiece(Work& work, Piece& piece, std::vector<char>& scratch) {
    XmlModelParser parser(work.mesh, XmlModelParser::ListPiece{piece.firstIndex});
    bool ok = parser.Feed(Bytes(piece.startsInFaces ? "<mesh><faceList>" : "<mesh><vertList>"));
    for (std::uint64_t at = piece.begin; ok && at < piece.end; at += kXmlChunkBytes) {
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(kXmlChunkBytes, piece.end - at));
        const auto bytes = work.document.Read(at, size, scratch);
        ok = !work.stop && bytes && parser.Feed(*bytes);
        work.parsedBytes.fetch_add(size);
        work.Tick();
    }
    ok = ok && parser.Feed(Bytes(piece.endsInFaces ? "</faceList></mesh>" : "</vertList></mesh>")) &&
         parser.FinishPiece();
    piece.verticesWritten = parser.Handler().VerticesWritten();
    piece.faceEntriesWritten = parser.Handler().FaceEntriesWritten();
    if (!ok) work.Fail();
}

template <class Barrier>
void Worker(Work& work, Barrier& counted, std::size_t k) {
    std::vector<char> scratch;
    try {
        Scan(work, k, scratch);
    } catch (...) {
        work.Fail();
    }
    counted.arrive_and_wait();
    try {
        if (work.plain && !work.stop && work.pieces[k]) ParsePiece(work, *work.pieces[k], scratch);
    } catch (...) {
        work.Fail();
    }
    work.finished.fetch_add(1);
    work.Tick();
}

template <class T>
void Zero(ZeroedArray<T>& array, std::size_t first, std::size_t last) {
    last = std::min(last, array.size());
    if (first < last) std::fill(array.data() + first, array.data() + last, T{});
}

// Back to the zeroes the arrays held before the pieces wrote, so that the
// caller's parser reads the lists as if they never had.
void Undo(const Work& work) {
    Mesh& m = work.mesh;
    for (const auto& piece : work.pieces) {
        if (!piece) continue;
        const std::size_t first = piece->startsInFaces ? piece->verticesWritten : piece->firstIndex;
        Zero(m.verts, 3 * first, 3 * piece->verticesWritten);
        Zero(m.normals, 3 * first, 3 * piece->verticesWritten);
        Zero(m.uvs, 2 * first, 2 * piece->verticesWritten);
        Zero(m.faces, 3 * (piece->startsInFaces ? piece->firstIndex : 0), piece->faceEntriesWritten);
    }
}

}  // namespace

unsigned XmlPieceCount(std::uint64_t documentBytes) {
    // Below this a piece's thread and parser cost more than they save.
    constexpr std::uint64_t kMinPieceBytes = std::uint64_t{4} << 20;
    constexpr unsigned kMaxPieces = 16;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(
        std::max<std::uint64_t>(1, std::min<std::uint64_t>({cores, kMaxPieces, documentBytes / kMinPieceBytes})));
}

ListsOutcome LoadListsInParallel(XmlModelParser& parser, Mesh& mesh, const DocumentBytes& document, unsigned pieces,
                                 const LoadProgress& progress) {
    if (pieces < 2) return {};
    // The head, up to the vertex list's start, lies in the first chunk.
    std::vector<char> scratch;
    const auto first = document.Read(0, kXmlChunkBytes, scratch);
    if (!first) return {};
    const std::string_view chunk = Text(*first);
    const std::size_t start = chunk.find(kVertListStart);
    if (start == std::string_view::npos) return {};
    const std::string_view head = chunk.substr(0, start + kVertListStart.size());
    const std::optional<std::uint64_t> listsEnd = FaceListEnd(document);
    if (head.find("<!") != std::string_view::npos || !listsEnd || *listsEnd < head.size()) return {};
    // The head goes to the caller's parser as a chunk of its own only when
    // a trial on a scratch mesh (no hook) reads it cleanly: odd text early on
    // (an unknown encoding, say) can read differently when cut there.
    {
        Mesh scratchMesh;
        XmlModelParser trial(scratchMesh, TextureHook{});
        if (!trial.Feed(Bytes(head)) || !trial.AtVertexListStart()) return {};
    }
    if (!parser.Feed(Bytes(head)) || !parser.AtVertexListStart()) return {{}, head.size()};

    Work work(document, mesh, head.size(), *listsEnd, pieces);
    std::barrier counted(static_cast<std::ptrdiff_t>(pieces), Planner{&work});
    bool cancelled = false;
    {
        std::vector<std::jthread> workers;
        for (std::size_t k = 0; k < pieces; ++k)
            workers.emplace_back([&work, &counted, k] { Worker(work, counted, k); });
        // The progress box is the caller's: it hears from this thread only.
        std::uint64_t reported = 0;
        for (;;) {
            const std::uint64_t seen = work.events.load();
            if (work.finished.load() == pieces) break;
            const std::uint64_t parsed = work.parsedBytes.load();
            if (progress && !cancelled && parsed != reported) {
                reported = parsed;
                if (!progress(head.size() + parsed, document.Size())) cancelled = work.stop = true;
            }
            work.events.wait(seen);
        }
    }
    if (cancelled) return {LoadResult{false, true, "loading was cancelled"}};
    if (!work.plain || work.failed) {
        Undo(work);
        return {{}, head.size()};
    }
    std::size_t verticesWritten = 0;
    std::size_t faceEntriesWritten = 0;
    unsigned parsed = 0;
    for (const auto& piece : work.pieces) {
        if (!piece) continue;
        verticesWritten = std::max(verticesWritten, piece->verticesWritten);
        faceEntriesWritten = std::max(faceEntriesWritten, piece->faceEntriesWritten);
        ++parsed;
    }
    if (!parser.ContinueAfterLists(work.faceTotal, verticesWritten, faceEntriesWritten))
        return {LoadResult::Failure("the XML parser lost its place after the vertex and face lists")};
    return {{}, *listsEnd, parsed};
}
