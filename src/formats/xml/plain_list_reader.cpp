#include "formats/xml/plain_list_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <span>
#include <string_view>

#include "formats/xml/mesh_content_handler.h"
#include "formats/xml/number_text.h"
#include "formats/xml/xml_parser.h"
#include "formats/xml/xml_tag_scan.h"

namespace {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Bytes libxml2 hands on unchanged in a leaf's text, enough for any number
// the exporter writes ("inf" and "nan" included).
bool IsNumberByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-' ||
           c == '+';
}

enum class Step {
    Done,
    Short,  // the window ended first
    Refused,
};

struct Cursor {
    const char* p;
    const char* end;
    std::size_t Left() const { return static_cast<std::size_t>(end - p); }
};

// The tags are literals: with their length known, the comparison is a
// couple of loads instead of a call.
template <std::size_t N>
[[gnu::always_inline]] inline Step Take(Cursor& c, const char (&text)[N]) {
    constexpr std::size_t length = N - 1;
    if (c.Left() < length) return Step::Short;
    if (std::memcmp(c.p, text, length) != 0) return Step::Refused;
    c.p += length;
    return Step::Done;
}

[[gnu::always_inline]] inline Step SkipSpace(Cursor& c) {
    const char* const from = c.p;
    while (c.p != c.end && IsXmlSpace(*c.p)) ++c.p;
    if (static_cast<std::size_t>(c.p - from) > kMaxPlainSpace) return Step::Refused;
    return c.p == c.end ? Step::Short : Step::Done;
}

[[gnu::always_inline]] inline Step TakeNumber(Cursor& c, std::string_view& text) {
    const char* const from = c.p;
    while (c.p != c.end && IsNumberByte(*c.p)) ++c.p;
    const auto length = static_cast<std::size_t>(c.p - from);
    if (length > kMaxPlainNumber) return Step::Refused;
    if (c.p == c.end) return Step::Short;
    if (length == 0) return Step::Refused;  // no text at all: the handler would store nothing
    text = {from, length};
    return Step::Done;
}

// Stores leaves as MeshContentHandler does, or refuses where it would.
class Store {
public:
    Store(Mesh& mesh, PlainPieceRead& read)
        : mesh_(mesh),
          read_(read),
          vertexCapacity_(std::min({mesh.verts.size() / 3, mesh.normals.size() / 3, mesh.uvs.size() / 2})),
          faceCapacity_(mesh.faces.size() / 3) {}

    bool Vertex(std::uint64_t index, std::size_t field, std::string_view text) {
        if (index >= vertexCapacity_) return false;
        VertexSlot(mesh_, field, static_cast<std::size_t>(index)) = ReadReal(text);
        read_.verticesWritten = std::max(read_.verticesWritten, static_cast<std::size_t>(index) + 1);
        return true;
    }
    bool Face(std::uint64_t index, std::size_t component, std::string_view text) {
        if (index >= faceCapacity_) return false;
        const std::int64_t value = ReadInteger(text);
        if (value < 0 || value > std::numeric_limits<std::uint32_t>::max()) return false;
        const auto entry = 3 * static_cast<std::size_t>(index) + component;
        mesh_.faces[entry] = static_cast<std::uint32_t>(value);
        read_.faceEntriesWritten = std::max(read_.faceEntriesWritten, entry + 1);
        return true;
    }

private:
    Mesh& mesh_;
    PlainPieceRead& read_;
    const std::size_t vertexCapacity_;
    const std::size_t faceCapacity_;
};

// The field of a vertex leaf by its name after "vert" (as VertexSlot counts
// them), and the name's length; -1 for another name.
int VertexField(const char* name, std::size_t& length) {
    length = 1;
    switch (name[0]) {
    case 'X': return 0;
    case 'Y': return 1;
    case 'Z': return 2;
    case 'U': return 6;
    case 'V': return 7;
    case 'N':
        length = 2;
        switch (name[1]) {
        case 'X': return 3;
        case 'Y': return 4;
        case 'Z': return 5;
        default: return -1;
        }
    default: return -1;
    }
}

// One leaf: "<vert" NAME ">" TEXT "</vert" NAME ">".
Step ReadVertexLeaf(Cursor& c, Store& store, std::uint64_t index) {
    if (const Step s = Take(c, "<vert"); s != Step::Done) return s;
    if (c.Left() < 3) return Step::Short;
    std::size_t length = 0;
    const int field = VertexField(c.p, length);
    if (field < 0 || c.p[length] != '>') return Step::Refused;
    const std::string_view name(c.p, length);
    c.p += length + 1;
    std::string_view text;
    if (const Step s = TakeNumber(c, text); s != Step::Done) return s;
    if (const Step s = Take(c, "</vert"); s != Step::Done) return s;
    if (c.Left() < length + 1) return Step::Short;
    if (c.p[0] != name[0] || (length == 2 && c.p[1] != name[1]) || c.p[length] != '>') return Step::Refused;
    c.p += length + 1;
    return store.Vertex(index, static_cast<std::size_t>(field), text) ? Step::Done : Step::Refused;
}

// One leaf: "<face" L ">" TEXT "</face" L ">", L one of A, B, C.
Step ReadFaceLeaf(Cursor& c, Store& store, std::uint64_t index) {
    if (const Step s = Take(c, "<face"); s != Step::Done) return s;
    if (c.Left() < 2) return Step::Short;
    const char letter = c.p[0];
    if (letter < 'A' || letter > 'C' || c.p[1] != '>') return Step::Refused;
    c.p += 2;
    std::string_view text;
    if (const Step s = TakeNumber(c, text); s != Step::Done) return s;
    if (const Step s = Take(c, "</face"); s != Step::Done) return s;
    if (c.Left() < 2) return Step::Short;
    if (c.p[0] != letter || c.p[1] != '>') return Step::Refused;
    c.p += 2;
    return store.Face(index, static_cast<std::size_t>(letter - 'A'), text) ? Step::Done : Step::Refused;
}

// An entry: its start tag, leaves with white space around them, its end tag.
template <std::size_t Start, std::size_t End, class ReadLeaf>
[[gnu::always_inline]] inline Step ReadEntry(Cursor& c, const char (&start)[Start], const char (&end)[End],
                                             ReadLeaf leaf) {
    if (const Step s = Take(c, start); s != Step::Done) return s;
    for (;;) {
        if (const Step s = SkipSpace(c); s != Step::Done) return s;
        if (c.Left() < 2) return Step::Short;
        if (c.p[1] == '/') return Take(c, end);
        if (const Step s = leaf(c); s != Step::Done) return s;
    }
}

// The change of list: "</vertList>", white space, "<faceList>".
Step ReadListChange(Cursor& c) {
    if (const Step s = Take(c, "</vertList>"); s != Step::Done) return s;
    if (const Step s = SkipSpace(c); s != Step::Done) return s;
    return Take(c, "<faceList>");
}

// The part of the document being read: [base, base + size).
class Window {
public:
    Window(const DocumentBytes& document, std::vector<char>& scratch) : document_(document), scratch_(scratch) {}

    bool Load(std::uint64_t at) {
        const auto bytes = document_.Read(at, kXmlChunkBytes, scratch_);
        if (!bytes) return false;
        base_ = at;
        bytes_ = *bytes;
        return true;
    }
    Cursor At(std::uint64_t offset) const {
        return {bytes_.data() + (offset - base_), bytes_.data() + bytes_.size()};
    }
    std::uint64_t Offset(const char* p) const { return base_ + static_cast<std::uint64_t>(p - bytes_.data()); }
    // Whether loading from offset would show more than this window does.
    bool MoreFrom(std::uint64_t offset) const {
        return offset != base_ && base_ + bytes_.size() < document_.Size();
    }

private:
    const DocumentBytes& document_;
    std::vector<char>& scratch_;
    std::uint64_t base_ = 0;
    std::span<const char> bytes_;
};

}  // namespace

PlainPieceRead ReadPlainListPiece(const DocumentBytes& document, Mesh& mesh, const PlainPieceBounds& bounds,
                                  const std::function<bool(std::uint64_t)>& advance, std::vector<char>& scratch) {
    PlainPieceRead read;
    Store store(mesh, read);
    Window window(document, scratch);
    std::uint64_t at = bounds.begin;  // where the next white space or tag starts
    std::uint64_t reported = at;
    if (!window.Load(at)) return read;
    bool started = false;
    bool inFaces = false;
    std::uint64_t index = 0;
    for (;;) {
        Cursor c = window.At(at);
        Step step = SkipSpace(c);
        const std::uint64_t tag = window.Offset(c.p);
        // What does not fit is read again from its start: the white space,
        // or the tag after it.
        const std::uint64_t retryFrom = step == Step::Short ? at : tag;
        // An entry's start tag is told apart by up to "<vertex" and one byte.
        if (step == Step::Done && c.Left() < 8 && tag != bounds.listsEnd) step = Step::Short;
        if (step == Step::Done) {
            if (tag == bounds.listsEnd) {
                if (!inFaces) return read;
                read.end = tag;
                break;
            }
            if (tag > bounds.listsEnd) return read;
            const EntryTag entry = EntryTagAt({c.p, c.Left()});
            if (!started) {
                started = true;
                inFaces = entry == EntryTag::Face;
                read.startsInFaces = inFaces;
                index = inFaces ? bounds.facesBefore : bounds.verticesBefore;
            }
            if (entry != EntryTag::None && tag >= bounds.stopFrom) {
                read.end = tag;
                break;
            }
            if (!inFaces && entry == EntryTag::Vertex) {
                step = ReadEntry(c, "<vertex>", "</vertex>", [&](Cursor& l) { return ReadVertexLeaf(l, store, index); });
                if (step == Step::Done) ++index;
            } else if (inFaces && entry == EntryTag::Face) {
                step = ReadEntry(c, "<face>", "</face>", [&](Cursor& l) { return ReadFaceLeaf(l, store, index); });
                if (step == Step::Done) ++index;
            } else if (!inFaces && entry == EntryTag::None) {
                step = ReadListChange(c);
                // Faces before the change would have been entries of the vertex list.
                if (step == Step::Done && bounds.facesBefore != 0) return read;
                if (step == Step::Done) {
                    inFaces = true;
                    index = 0;
                }
            } else {
                return read;
            }
        }
        if (step == Step::Refused) return read;
        if (step == Step::Short) {
            // Unless the window starts there already, or nothing follows it.
            if (!window.MoreFrom(retryFrom) || !advance(retryFrom - reported)) return read;
            reported = retryFrom;
            if (!window.Load(retryFrom)) return read;
            at = retryFrom;
            continue;
        }
        at = window.Offset(c.p);
    }
    if (!advance(read.end - reported)) return read;
    read.endsInFaces = inFaces;
    read.accepted = true;
    return read;
}
