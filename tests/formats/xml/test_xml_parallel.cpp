#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <thread>
#include <vector>

#include "formats/xml/xml_reader.h"
#include "formats/xml/xml_parallel.h"
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

TEST(XmlParallel, PiecesGiveTheWholeParsesResult) {
    Mesh model = MakeMesh(40, 60, 1);
    model.texturePath = "Assets/crate.bmp";
    const std::string plain = ExporterText(model);
    // Each with whether it is accepted.
    std::vector<std::pair<std::string, bool>> documents{{plain, true}};
    const auto variant = [&](const std::string& what, const std::string& with, bool ok) {
        documents.emplace_back(plain, ok);
        Replace(documents.back().first, what, with);
    };
    // A number longer than a chunk, so that a piece's chunks split its text.
    variant("<vertY>", "<vertY>-1.25" + std::string(kXmlChunkBytes + 100, '0'), true);
    // A comment leaves the plain layout: the whole document is parsed in order.
    variant("\t\t<face>", "<!-- <face> -->\t\t<face>", true);
    // Refusals inside the lists and after them, with the line.
    variant("<faceB>" + std::to_string(model.faces[3 * 50 + 1]), "<faceB>-7", false);
    variant("</vertV></vertex>\n\t\t<vertex>", "</vertU></vertex>\n\t\t<vertex>", false);
    variant("<numVerts>40", "<numVerts>30", false);
    variant("</mesh>", "</mesh><mesh/>", false);

    for (std::size_t d = 0; d < documents.size(); ++d) {
        SCOPED_TRACE(d);
        const auto& [document, ok] = documents[d];
        const Loaded whole = LoadWith([&](Mesh& m, TextureHook hook) { return ParseXML(document, m, hook); });
        EXPECT_EQ(whole.result.ok, ok) << whole.result.reason;
        if (!ok) {
            EXPECT_EQ(whole.result.reason.rfind("line ", 0), 0u) << whole.result.reason;
        }
        for (const unsigned pieces : {2u, 3u, 7u}) {
            const Loaded split =
                LoadWith([&](Mesh& m, TextureHook hook) { return ParseXMLParallel(document, m, hook, pieces); });
            EXPECT_EQ(split.result.ok, whole.result.ok);
            EXPECT_EQ(split.result.reason, whole.result.reason);
            EXPECT_EQ(split.textures, whole.textures);
            EXPECT_EQ(split.mesh, whole.mesh);
        }
    }
}

// A file big enough for pieces on two cores: progress comes on the caller's
// thread only, and cancelling stops every piece.
TEST(XmlParallel, ReadXmlReportsProgressOnTheCallersThreadAndCancels) {
    if (XmlPieceCount(std::uint64_t{64} << 20) < 2) GTEST_SKIP() << "one core: no pieces";
    const Mesh model = MakeMesh(60000, 90000);
    TempDir dir;
    const std::string path = dir.File("big.xml");
    const WriteResult written = WriteXML(model, path);
    ASSERT_TRUE(written) << written.reason;
    ASSERT_GE(XmlPieceCount(std::filesystem::file_size(path)), 2u);

    const auto caller = std::this_thread::get_id();
    std::vector<std::uint64_t> seen;
    const Loaded read = LoadWith([&](Mesh& m, TextureHook hook) {
        return ReadXML(path, m, hook, [&](std::uint64_t done, std::uint64_t) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            seen.push_back(done);
            return true;
        });
    });
    ASSERT_TRUE(read.result) << read.result.reason;
    EXPECT_EQ(read.mesh, LoadWith([&](Mesh& m, TextureHook hook) { return ParseXML(ReadText(path), m, hook); }).mesh);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), std::filesystem::file_size(path));

    int calls = 0;
    Mesh mesh;
    const LoadResult stopped = ReadXML(path, mesh, {}, [&](std::uint64_t, std::uint64_t) { return ++calls < 3; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(calls, 3);
}

}  // namespace
