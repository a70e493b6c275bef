#include "formats/xml/xml_parallel.h"

#include <algorithm>
#include <atomic>
#include <string_view>
#include <thread>
#include <vector>

#include "formats/xml/plain_list_reader.h"
#include "formats/xml/xml_tag_scan.h"

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
    bool byHand = false;  // read by ReadPlainListPiece, not libxml2
    // How far it wrote into the arrays.
    std::size_t verticesWritten = 0;
    std::size_t faceEntriesWritten = 0;
};

enum class Head { Pending, Read, Refused };

// What the workers share: a queue of tasks taken in order, first the
// counting of each range of the lists, then the reading of the piece that
// starts in each range (if one does). More ranges than workers, so that a
// worker whose core is busy elsewhere holds up little.
struct Work {
    Work(const DocumentBytes& d, Mesh& m, std::uint64_t begin, std::uint64_t end, unsigned n)
        : document(d), mesh(m), listsBegin(begin), listsEnd(end), counts(n), counted(n), pieces(n) {}

    std::size_t Ranges() const { return counts.size(); }
    std::uint64_t RangeBegin(std::size_t k) const { return listsBegin + (listsEnd - listsBegin) * k / Ranges(); }
    void Tick() {
        events.fetch_add(1);
        events.notify_all();
    }
    void Stop() {
        stop = true;
        Tick();
    }
    void Fail() {
        failed = true;
        Stop();
    }
    bool CountedUpTo(std::size_t k) const {
        for (std::size_t j = 0; j <= k; ++j)
            if (!counted[j]) return false;
        return true;
    }
    // Until ready() holds; false when the work stops first.
    template <class Ready>
    bool WaitFor(Ready ready) {
        for (;;) {
            const std::uint64_t seen = events.load();
            if (stop) return false;
            if (ready()) return true;
            events.wait(seen);
        }
    }

    const DocumentBytes& document;
    Mesh& mesh;
    const std::uint64_t listsBegin;
    const std::uint64_t listsEnd;
    std::vector<TagCounts> counts;
    std::vector<std::atomic<bool>> counted;  // counts[k] is complete
    std::vector<std::optional<Piece>> pieces;
    std::atomic<unsigned> nextCount{0};
    std::atomic<unsigned> nextPiece{0};
    std::atomic<Head> head{Head::Pending};  // the arrays are there once it is read
    std::atomic<bool> stop{false};
    std::atomic<bool> failed{false};
    std::atomic<std::uint64_t> parsedBytes{0};
    std::atomic<std::uint64_t> events{0};  // grows with each step any worker makes
    std::atomic<unsigned> finished{0};
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

template <class T>
void Zero(ZeroedArray<T>& array, std::size_t first, std::size_t last) {
    last = std::min(last, array.size());
    if (first < last) std::fill(array.data() + first, array.data() + last, T{});
}

// Back to the zeroes the arrays held before the piece wrote: only what it
// wrote is touched, so pages no one wrote stay unfaulted.
void Undo(Mesh& m, Piece& piece) {
    const std::size_t first = piece.startsInFaces ? piece.verticesWritten : piece.firstIndex;
    Zero(m.verts, 3 * first, 3 * piece.verticesWritten);
    Zero(m.normals, 3 * first, 3 * piece.verticesWritten);
    Zero(m.uvs, 2 * first, 2 * piece.verticesWritten);
    Zero(m.faces, 3 * (piece.startsInFaces ? piece.firstIndex : 0), piece.faceEntriesWritten);
    piece.verticesWritten = 0;
    piece.faceEntriesWritten = 0;
}

// The piece through a push parser of its own, wrapped in a mesh element and
// the list it starts in. Its end and its lists come from all the counts.
// done: bytes of it already reported as parsed.
void ParseWithLibxml(Work& work, std::size_t k, Piece& piece, std::uint64_t done, std::vector<char>& scratch) {
    if (!work.WaitFor([&work] { return work.CountedUpTo(work.Ranges() - 1); })) return;
    std::optional<std::uint64_t> split;  // where the vertex list ends
    for (const TagCounts& c : work.counts) {
        if (c.markup) return work.Fail();
        if (!split) split = c.vertexListEnd;
    }
    if (!split) return work.Fail();
    std::uint64_t vertices = 0;
    std::uint64_t faces = 0;
    for (std::size_t j = 0; j < k; ++j) {
        vertices += work.counts[j].vertices;
        faces += work.counts[j].faces;
    }
    piece.end = work.listsEnd;
    for (std::size_t j = k + 1; j < work.Ranges(); ++j)
        if (work.counts[j].firstEntry) {
            piece.end = *work.counts[j].firstEntry;
            break;
        }
    piece.startsInFaces = piece.begin > *split;
    piece.endsInFaces = piece.end > *split;
    piece.firstIndex = piece.startsInFaces ? faces : vertices;

    XmlModelParser parser(work.mesh, XmlModelParser::ListPiece{piece.firstIndex});
    bool ok = parser.Feed(Bytes(piece.startsInFaces ? "<mesh><faceList>" : "<mesh><vertList>"));
    for (std::uint64_t at = piece.begin; ok && at < piece.end; at += kXmlChunkBytes) {
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(kXmlChunkBytes, piece.end - at));
        const auto bytes = work.document.Read(at, size, scratch);
        ok = !work.stop && bytes && parser.Feed(*bytes);
        if (const std::uint64_t now = at + size - piece.begin; now > done) {
            work.parsedBytes.fetch_add(now - done);
            done = now;
        }
        work.Tick();
    }
    ok = ok && parser.Feed(Bytes(piece.endsInFaces ? "</faceList></mesh>" : "</vertList></mesh>")) &&
         parser.FinishPiece();
    piece.verticesWritten = parser.Handler().VerticesWritten();
    piece.faceEntriesWritten = parser.Handler().FaceEntriesWritten();
    if (!ok) work.Fail();
}

// The piece that starts in range k, if one does: by hand when it is in the
// strict form, else through libxml2.
void ReadPiece(Work& work, std::size_t k, std::vector<char>& scratch) {
    if (!work.WaitFor([&work, k] { return work.head != Head::Pending && work.CountedUpTo(k); })) return;
    const TagCounts& own = work.counts[k];
    if (k > 0 && !own.firstEntry) return;  // the piece before goes on through this range
    PlainPieceBounds bounds;
    bounds.begin = k == 0 ? work.listsBegin : *own.firstEntry;
    bounds.stopFrom = work.RangeBegin(k + 1);
    bounds.listsEnd = work.listsEnd;
    for (std::size_t j = 0; j < k; ++j) {
        bounds.verticesBefore += work.counts[j].vertices;
        bounds.facesBefore += work.counts[j].faces;
    }
    Piece& piece = work.pieces[k].emplace();
    piece.begin = bounds.begin;
    std::uint64_t done = 0;
    const auto advance = [&work, &done](std::uint64_t bytes) {
        done += bytes;
        work.parsedBytes.fetch_add(bytes);
        work.Tick();
        return !work.stop;
    };
    const PlainPieceRead read = ReadPlainListPiece(work.document, work.mesh, bounds, advance, scratch);
    piece.startsInFaces = read.startsInFaces;
    piece.firstIndex = read.startsInFaces ? bounds.facesBefore : bounds.verticesBefore;
    piece.verticesWritten = read.verticesWritten;
    piece.faceEntriesWritten = read.faceEntriesWritten;
    if (read.accepted) {
        piece.end = read.end;
        piece.endsInFaces = read.endsInFaces;
        piece.byHand = true;
        return;
    }
    if (work.stop) return;
    // What it wrote goes: libxml2 may place the piece in the other list.
    Undo(work.mesh, piece);
    ParseWithLibxml(work, k, piece, done, scratch);
}

void Worker(Work& work) {
    std::vector<char> scratch;
    try {
        for (std::size_t k = 0; !work.stop && (k = work.nextCount.fetch_add(1)) < work.Ranges();) {
            Scan(work, k, scratch);
            work.counted[k] = true;
            work.Tick();
        }
        for (std::size_t k = 0; !work.stop && (k = work.nextPiece.fetch_add(1)) < work.Ranges();)
            ReadPiece(work, k, scratch);
    } catch (...) {
        work.Fail();
    }
    work.finished.fetch_add(1);
    work.Tick();
}

// Whether the pieces, in order, cover the lists once: each ends where the
// next starts and in the list that one starts in, the first starts in the
// vertex list, the last ends at the lists' end in the face list.
bool Tiled(const Work& work) {
    const Piece* previous = nullptr;
    for (const auto& piece : work.pieces) {
        if (!piece) continue;
        if (previous ? previous->end != piece->begin || previous->endsInFaces != piece->startsInFaces
                     : piece->begin != work.listsBegin || piece->startsInFaces)
            return false;
        previous = &*piece;
    }
    return previous && previous->end == work.listsEnd && previous->endsInFaces;
}

// The head goes to the caller's parser as a chunk of its own only when a
// trial on a scratch mesh (no hook) reads it cleanly: odd text early on (an
// unknown encoding, say) can read differently when cut there. Nothing when
// it went, else where the caller's parser stands.
std::optional<ListsOutcome> ReadHead(XmlModelParser& parser, std::string_view head) {
    {
        Mesh scratchMesh;
        XmlModelParser trial(scratchMesh, TextureHook{});
        if (!trial.Feed(Bytes(head)) || !trial.AtVertexListStart()) return ListsOutcome{};
    }
    if (!parser.Feed(Bytes(head)) || !parser.AtVertexListStart()) return ListsOutcome{{}, head.size()};
    return std::nullopt;
}

}  // namespace

unsigned XmlPieceCount(std::uint64_t documentBytes) {
    // Below this a piece's parser costs more than it saves.
    constexpr std::uint64_t kMinPieceBytes = std::uint64_t{2} << 20;
    constexpr unsigned kPiecesPerCore = 4;
    constexpr unsigned kMaxPieces = 64;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::max<std::uint64_t>(
        1, std::min<std::uint64_t>({std::uint64_t{cores} * kPiecesPerCore, kMaxPieces, documentBytes / kMinPieceBytes})));
}

ListsOutcome ParseListsInParallel(XmlModelParser& parser, Mesh& mesh, const DocumentBytes& document, unsigned pieces,
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

    Work work(document, mesh, head.size(), *listsEnd, pieces);
    const unsigned threads = std::min(pieces, std::max(1u, std::thread::hardware_concurrency()));
    std::optional<ListsOutcome> headOutcome;
    bool cancelled = false;
    {
        std::vector<std::jthread> workers;
        // Declared after the workers, so gone before they are joined: should
        // this thread leave early (an exception), they stop instead of
        // waiting for the head. After a normal end they are all done.
        struct StopOnLeaving {
            Work& work;
            ~StopOnLeaving() { work.Stop(); }
        } stopOnLeaving{work};
        for (unsigned t = 0; t < threads; ++t) workers.emplace_back([&work] { Worker(work); });
        // The workers count while the head is read here: its texture hook is
        // the caller's, and the arrays it allocates are there once it is read.
        headOutcome = ReadHead(parser, head);
        work.head = headOutcome ? Head::Refused : Head::Read;
        if (headOutcome) work.Stop();
        work.Tick();
        // The progress box is the caller's: it hears from this thread only.
        std::uint64_t reported = 0;
        for (;;) {
            const std::uint64_t seen = work.events.load();
            if (work.finished.load() == threads) break;
            const std::uint64_t parsed = work.parsedBytes.load();
            if (progress && !cancelled && !headOutcome && parsed != reported) {
                reported = parsed;
                if (!progress(head.size() + parsed, document.Size())) {
                    cancelled = true;
                    work.Stop();
                }
            }
            work.events.wait(seen);
        }
        // The pieces' last bytes, unless the lists are to be read again.
        const std::uint64_t parsed = work.parsedBytes.load();
        if (progress && !cancelled && !headOutcome && !work.failed && parsed != reported)
            cancelled = !progress(head.size() + parsed, document.Size());
    }
    if (headOutcome) return *headOutcome;
    if (cancelled) return {LoadResult{false, true, "loading was cancelled"}};
    if (work.failed || !Tiled(work)) {
        for (auto& piece : work.pieces)
            if (piece) Undo(mesh, *piece);
        return {{}, head.size()};
    }
    std::uint64_t faceTotal = 0;
    for (const TagCounts& c : work.counts) faceTotal += c.faces;
    std::size_t verticesWritten = 0;
    std::size_t faceEntriesWritten = 0;
    ListsOutcome outcome{{}, *listsEnd};
    for (const auto& piece : work.pieces) {
        if (!piece) continue;
        verticesWritten = std::max(verticesWritten, piece->verticesWritten);
        faceEntriesWritten = std::max(faceEntriesWritten, piece->faceEntriesWritten);
        ++outcome.piecesParsed;
        if (piece->byHand) ++outcome.piecesByHand;
    }
    if (!parser.ContinueAfterLists(faceTotal, verticesWritten, faceEntriesWritten))
        return {LoadResult::Failure("the XML parser lost its place after the vertex and face lists")};
    return outcome;
}
