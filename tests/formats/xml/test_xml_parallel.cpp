#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <thread>
#include <vector>

#include "formats/xml/plain_list_reader.h"
#include "formats/xml/xml_parallel.h"
#include "formats/xml/xml_reader.h"
#include "formats/xml/xml_tag_scan.h"
#include "formats/xml/xml_writer.h"
#include "mesh/model_test_support.h"

namespace {

struct Loaded {
    LoadResult result;
    MeshSnapshot mesh;
    std::vector<std::string> textures;  // the hook's calls
};

template <class LoadFn>
Loaded LoadWith(LoadFn load) {
    Loaded loaded;
    Mesh mesh;
    loaded.result = load(mesh, [&](Mesh& m) { loaded.textures.push_back(m.texturePath); });
    loaded.mesh = Snapshot(mesh);
    loaded.mesh.vertsAddress = nullptr;
    return loaded;
}

// The exporter's layout of a mesh, as text.
std::string ExporterText(const Mesh& mesh) {
    TempDir dir;
    const std::string path = dir.File("m.xml");
    const WriteResult written = WriteXML(mesh, path);
    EXPECT_TRUE(written) << written.reason;
    return ReadText(path);
}

void Replace(std::string& text, const std::string& what, const std::string& with) {
    const auto at = text.find(what);
    ASSERT_NE(at, std::string::npos) << what;
    text.replace(at, what.size(), with);
}

// How a document is expected to be read by ParseXMLParallel.
enum class Lists { AllPieces, SomePieces, InOrder };

TEST(XmlParallel, PiecesGiveTheWholeParsesResult) {
    Mesh model = MakeMesh(40, 60, 1);
    model.texturePath = "Assets/crate.bmp";
    const std::string plain = ExporterText(model);
    // Each with whether it is accepted, and how its lists are read.
    struct Document {
        std::string text;
        bool ok;
        Lists lists;
    };
    std::vector<Document> documents{{plain, true, Lists::AllPieces}};
    const auto variant = [&](const std::string& what, const std::string& with, bool ok, Lists lists) {
        documents.push_back({plain, ok, lists});
        Replace(documents.back().text, what, with);
    };
    // The last entry right against the list's end: the last piece's end is exact.
    variant("</face>\n\t</faceList>", "</face></faceList>", true, Lists::AllPieces);
    // A number longer than a chunk, so that a piece's chunks split its text;
    // the ranges that fall inside it start no piece.
    variant("<vertY>", "<vertY>-1.25" + std::string(kXmlChunkBytes + 100, '0'), true, Lists::SomePieces);
    // A comment leaves the plain layout: the whole document is parsed in order.
    variant("\t\t<face>", "<!-- <face> -->\t\t<face>", true, Lists::InOrder);
    // Refusals inside the lists and after them, with the line: the pieces
    // give up, and the one parser finds the line.
    variant("<faceB>" + std::to_string(model.faces[3 * 50 + 1]), "<faceB>-7", false, Lists::InOrder);
    variant("</vertV></vertex>\n\t\t<vertex>", "</vertU></vertex>\n\t\t<vertex>", false, Lists::InOrder);
    variant("<numVerts>40", "<numVerts>30", false, Lists::InOrder);
    variant("</mesh>", "</mesh><mesh/>", false, Lists::InOrder);

    for (std::size_t d = 0; d < documents.size(); ++d) {
        SCOPED_TRACE(d);
        const auto& [document, ok, lists] = documents[d];
        const Loaded whole = LoadWith([&](Mesh& m, TextureHook hook) { return ParseXML(document, m, hook); });
        EXPECT_EQ(whole.result.ok, ok) << whole.result.reason;
        if (!ok) {
            EXPECT_EQ(whole.result.reason.rfind("line ", 0), 0u) << whole.result.reason;
        }
        // Every count of pieces, each range of the lists holding an entry's start.
        for (unsigned pieces = 2; pieces <= 16; ++pieces) {
            SCOPED_TRACE(pieces);
            unsigned parsed = 0;
            const Loaded split = LoadWith([&](Mesh& m, TextureHook hook) {
                const XmlLoadResult load = ParseXMLParallel(document, m, hook, pieces);
                parsed = load.piecesParsed;
                return load.result;
            });
            EXPECT_EQ(split.result.ok, whole.result.ok);
            EXPECT_EQ(split.result.reason, whole.result.reason);
            EXPECT_EQ(split.textures, whole.textures);
            EXPECT_EQ(split.mesh, whole.mesh);
            switch (lists) {
            case Lists::AllPieces: EXPECT_EQ(parsed, pieces); break;
            case Lists::SomePieces: EXPECT_GE(parsed, 2u); break;
            case Lists::InOrder: EXPECT_EQ(parsed, 0u); break;
            }
        }
    }
}

// Replaces the n-th (from 0) occurrence of what.
void ReplaceNth(std::string& text, const std::string& what, std::size_t n, const std::string& with) {
    std::size_t at = text.find(what);
    for (std::size_t i = 0; i < n && at != std::string::npos; ++i) at = text.find(what, at + 1);
    ASSERT_NE(at, std::string::npos) << what << " #" << n;
    text.replace(at, what.size(), with);
}

struct SplitLoad {
    Loaded loaded;
    XmlLoadResult load;
};

SplitLoad LoadInPieces(const std::string& document, unsigned pieces) {
    SplitLoad split;
    split.loaded = LoadWith([&](Mesh& m, TextureHook hook) {
        split.load = ParseXMLParallel(document, m, hook, pieces);
        return split.load.result;
    });
    return split;
}

// The exporter's text of a model of 40 vertices and 60 faces, with the
// vertex list one short and a vertex in place of the last face, before the
// 31st: the one parser stores it at the face's index, 30. A piece taking it
// for the vertex list would store it at index 40.
std::string VertexInTheFaceList(std::string plain) {
    ReplaceNth(plain, "<face>", 30, "<vertex><vertY>-9</vertY></vertex><face>");
    ReplaceNth(plain, "<numVerts>40", 0, "<numVerts>41");
    const std::size_t lastFace = plain.rfind("<face>");
    plain.erase(lastFace, plain.find("</face>", lastFace) + 7 - lastFace);
    return plain;
}

// The exporter's text, and any in its strict form, is read by hand in every
// piece; a piece outside it (still in the plain layout) goes to libxml2 on
// its own, the others stay by hand, and the result is the whole parse's.
TEST(XmlParallel, PiecesInTheStrictFormAreReadByHandTheOthersByLibxml2) {
    Mesh model = MakeMesh(40, 60, 1);
    model.texturePath = "Assets/crate.bmp";
    const std::string plain = ExporterText(model);
    enum class Read { AllByHand, OneByLibxml2, InOrder };
    struct Document {
        std::string text;
        Read read;
    };
    std::vector<Document> documents{{plain, Read::AllByHand}};
    // Windows line ends are XML white space like any other.
    documents.push_back({plain, Read::AllByHand});
    for (std::size_t at = 0; (at = documents.back().text.find('\n', at)) != std::string::npos; at += 2)
        documents.back().text.replace(at, 1, "\r\n");
    // Each outside the strict form, in one place: the 21st vertex or the 31st face.
    const auto variant = [&](const std::string& what, std::size_t n, const std::string& with, Read read) {
        documents.push_back({plain, read});
        ReplaceNth(documents.back().text, what, n, with);
    };
    variant("<vertex>", 20, "<vertex >", Read::OneByLibxml2);
    variant("<vertY>", 20, "<vertY> ", Read::OneByLibxml2);
    variant("<vertNX>", 20, "<vertNX>" + std::string(kMaxPlainNumber, '0'), Read::OneByLibxml2);
    variant("<faceB>", 30, "<faceB>&#48;", Read::OneByLibxml2);
    // No text: the handler stores nothing, the leaf stays zero.
    variant("<faceC>", 30, "<faceC></faceC><faceC>", Read::OneByLibxml2);
    variant("</vertZ>", 20, "</vertZ><vertZ></vertZ>", Read::OneByLibxml2);
    // A comment leaves the plain layout: the one parser reads the lists.
    variant("<vertU>", 20, "<vertU><!---->", Read::InOrder);
    // So does a vertex in the face list, which a piece that starts there
    // takes for one of the vertex list, and writes before it fails.
    documents.push_back({VertexInTheFaceList(plain), Read::InOrder});

    for (std::size_t d = 0; d < documents.size(); ++d) {
        SCOPED_TRACE(d);
        const auto& [document, read] = documents[d];
        const Loaded whole = LoadWith([&](Mesh& m, TextureHook hook) { return ParseXML(document, m, hook); });
        ASSERT_TRUE(whole.result) << whole.result.reason;
        for (unsigned pieces = 2; pieces <= 16; ++pieces) {
            SCOPED_TRACE(pieces);
            const SplitLoad split = LoadInPieces(document, pieces);
            EXPECT_EQ(split.loaded.result.reason, whole.result.reason);
            EXPECT_EQ(split.loaded.mesh, whole.mesh);
            EXPECT_EQ(split.loaded.textures, whole.textures);
            if (read == Read::InOrder) {
                EXPECT_EQ(split.load.piecesParsed, 0u);
                continue;
            }
            EXPECT_GE(split.load.piecesParsed, 2u);
            EXPECT_EQ(split.load.piecesByHand, split.load.piecesParsed - (read == Read::AllByHand ? 0 : 1));
        }
    }
}

// Far more pieces than workers, over entries of very different sizes: the
// ranges inside a long entry start no piece, the piece before reads on over
// them, and the result is the whole parse's.
TEST(XmlParallel, ManyPiecesOverUnevenEntriesGiveTheWholeParse) {
    const Mesh model = MakeMesh(300, 500);
    std::string text = ExporterText(model);
    std::string longLeaves;
    for (int i = 0; i < 300; ++i) longLeaves += "<vertU>" + std::to_string(i) + ".5</vertU>\n";
    for (const std::size_t n : {7, 8, 150, 299}) ReplaceNth(text, "<vertV>", n, longLeaves + "<vertV>");
    const Loaded whole = LoadWith([&](Mesh& m, TextureHook hook) { return ParseXML(text, m, hook); });
    ASSERT_TRUE(whole.result) << whole.result.reason;
    // The added leaves count: the last of each vertex's is its vertU.
    EXPECT_NE(whole.mesh.uvs, Snapshot(model).uvs);
    for (const unsigned pieces : {24u, 64u, 101u}) {
        SCOPED_TRACE(pieces);
        const SplitLoad split = LoadInPieces(text, pieces);
        EXPECT_EQ(split.loaded.result.reason, whole.result.reason);
        EXPECT_EQ(split.loaded.mesh, whole.mesh);
        EXPECT_GE(split.load.piecesParsed, 2u);
        EXPECT_LT(split.load.piecesParsed, pieces);
        EXPECT_EQ(split.load.piecesByHand, split.load.piecesParsed);
    }
}

// However the ranges fall, also where a piece holds nothing but the vertex
// in the face list, the pieces see that their lists do not follow on, and
// the one parser reads the lists.
TEST(XmlParallel, AVertexInTheFaceListIsNeverTakenForOneOfTheVertexList) {
    const Mesh model = MakeMesh(40, 60);
    const std::string text = VertexInTheFaceList(ExporterText(model));
    const Loaded whole = LoadWith([&](Mesh& m, TextureHook hook) { return ParseXML(text, m, hook); });
    ASSERT_TRUE(whole.result) << whole.result.reason;
    for (unsigned pieces = 2; pieces <= 400; ++pieces) {
        SCOPED_TRACE(pieces);
        const SplitLoad split = LoadInPieces(text, pieces);
        EXPECT_EQ(split.loaded.mesh, whole.mesh);
        EXPECT_EQ(split.load.piecesParsed, 0u);
    }
}

// A piece that leaves the strict form after reading part of itself by hand
// is read again by libxml2; progress counts each byte once all the same:
// it never goes back, and never past the file's size.
TEST(XmlParallel, ProgressCountsAByteOnceWhenAPieceIsReadAgain) {
    const Mesh model = MakeMesh(6000, 9000);
    std::string text = ExporterText(model);
    ReplaceNth(text, "<vertex>", 1200, "<vertex >");
    TempDir dir;
    const std::string path = dir.File("again.xml");
    ASSERT_TRUE(WriteFile(path, text));

    std::vector<std::uint64_t> seen;
    Mesh mesh;
    const XmlLoadResult load = ReadXMLInPieces(path, mesh, 4, {}, [&](std::uint64_t done, std::uint64_t) {
        seen.push_back(done);
        return true;
    });
    ASSERT_TRUE(load.result) << load.result.reason;
    EXPECT_EQ(load.piecesParsed, 4u);
    EXPECT_EQ(load.piecesByHand, 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), text.size());
}

// A file in the plain layout read in pieces, whatever the machine's cores:
// progress comes on the caller's thread only, up to the file's size, and a
// cancel is the last progress call.
TEST(XmlParallel, ReadXmlReportsProgressOnTheCallersThreadAndCancels) {
    const Mesh model = MakeMesh(6000, 9000);
    TempDir dir;
    const std::string path = dir.File("big.xml");
    const WriteResult written = WriteXML(model, path);
    ASSERT_TRUE(written) << written.reason;

    const auto caller = std::this_thread::get_id();
    std::vector<std::uint64_t> seen;
    unsigned parsed = 0;
    const Loaded read = LoadWith([&](Mesh& m, TextureHook hook) {
        const XmlLoadResult load = ReadXMLInPieces(path, m, 4, hook, [&](std::uint64_t done, std::uint64_t) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            seen.push_back(done);
            return true;
        });
        parsed = load.piecesParsed;
        return load.result;
    });
    ASSERT_TRUE(read.result) << read.result.reason;
    EXPECT_EQ(parsed, 4u);
    EXPECT_EQ(read.mesh, LoadWith([&](Mesh& m, TextureHook hook) { return ParseXML(ReadText(path), m, hook); }).mesh);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), std::filesystem::file_size(path));

    // The pieces may all be done before the first report: then the cancel
    // comes with the text after the lists.
    int calls = 0;
    Mesh mesh;
    const XmlLoadResult stopped = ReadXMLInPieces(path, mesh, 4, {}, [&](std::uint64_t, std::uint64_t) {
        ++calls;
        return false;
    });
    EXPECT_TRUE(stopped.result.cancelled);
    EXPECT_EQ(calls, 1);
}

// Each tag is counted by the one scan whose limit it starts before, with
// its offset, wherever the limit falls: a scan of a whole range and scans
// of its two parts count the same.
TEST(XmlTagScan, ATagIsCountedByTheScanItStartsIn) {
    // The text, with where each tag the scan counts starts.
    std::string text;
    std::vector<std::uint64_t> vertices, faces, listEnds;
    const auto add = [&text](std::string_view part, std::vector<std::uint64_t>* starts = nullptr) {
        if (starts) starts->push_back(text.size());
        text += part;
    };
    add("\n\t\t");
    add("<vertex>", &vertices);
    add("<vertX>1.5</vertX><vertexes/><vert/></vertex>\n");
    add("<vertex/>", &vertices);
    add("<vertex\t>", &vertices);
    add("</vertex></vertLists>");
    add("</vertList>", &listEnds);
    add("<faceList><faces/><facet>");
    add("<face>", &faces);
    add("<faceA>2</faceA></face>");
    add("<face/>", &faces);
    add("</faceList>");
    const std::span<const char> bytes(text.data(), text.size());
    constexpr std::uint64_t kBase = 1000;

    const auto before = [](const std::vector<std::uint64_t>& starts, std::uint64_t limit) {
        return static_cast<std::uint64_t>(
            std::count_if(starts.begin(), starts.end(), [&](auto at) { return at < limit; }));
    };
    const auto first = [](const std::vector<std::uint64_t>& starts, std::uint64_t from,
                          std::uint64_t limit) -> std::optional<std::uint64_t> {
        for (const std::uint64_t at : starts)
            if (at >= from && at < limit) return kBase + at;
        return std::nullopt;
    };
    for (std::size_t limit = 0; limit <= text.size(); ++limit) {
        SCOPED_TRACE(limit);
        TagCounts head;
        CountTags(bytes, limit, kBase, head);
        EXPECT_EQ(head.vertices, before(vertices, limit));
        EXPECT_EQ(head.faces, before(faces, limit));
        const std::optional<std::uint64_t> firstVertex = first(vertices, 0, limit);
        EXPECT_EQ(head.firstEntry, firstVertex ? firstVertex : first(faces, 0, limit));
        EXPECT_EQ(head.vertexListEnd, first(listEnds, 0, limit));
        EXPECT_FALSE(head.markup);

        // The rest, as the next range's scan sees it.
        TagCounts tail;
        CountTags(bytes.subspan(limit), text.size() - limit, kBase + limit, tail);
        EXPECT_EQ(head.vertices + tail.vertices, vertices.size());
        EXPECT_EQ(head.faces + tail.faces, faces.size());
        const std::optional<std::uint64_t> nextVertex = first(vertices, limit, text.size());
        EXPECT_EQ(tail.firstEntry, nextVertex ? nextVertex : first(faces, limit, text.size()));
        EXPECT_EQ(tail.vertexListEnd, first(listEnds, limit, text.size()));
    }
}

}  // namespace
