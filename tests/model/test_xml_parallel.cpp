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

#include "model/xml_loader.h"
#include "model/xml_parallel.h"
#include "model/xml_tag_scan.h"
#include "model/xml_writer.h"
#include "model_test_support.h"

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
    std::string error;
    const std::string path = dir.File("m.xml");
    EXPECT_TRUE(WriteXML(mesh, path, error)) << error;
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

// A file in the plain layout read in pieces, whatever the machine's cores:
// progress comes on the caller's thread only, up to the file's size, and a
// cancel is the last progress call.
TEST(XmlParallel, ReadXmlReportsProgressOnTheCallersThreadAndCancels) {
    const Mesh model = MakeMesh(6000, 9000);
    TempDir dir;
    std::string error;
    const std::string path = dir.File("big.xml");
    ASSERT_TRUE(WriteXML(model, path, error)) << error;

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
