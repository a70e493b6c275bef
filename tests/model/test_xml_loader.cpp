#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "model/number_text.h"
#include "model/xml_loader.h"
#include "support/memory_limit.h"
#include "model_test_support.h"
#include "xml_documents.h"

namespace {

// Parses a document into a fresh mesh; the test fails if it is refused.
Mesh Parse(const std::string& document, std::size_t chunk = kXmlChunkBytes) {
    Mesh mesh;
    const LoadResult result = ParseXML(document, mesh, {}, chunk);
    EXPECT_TRUE(result) << result.reason;
    return mesh;
}

std::string Refusal(const std::string& document) {
    Mesh mesh;
    const LoadResult result = ParseXML(document, mesh);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.cancelled);
    return result.reason;
}

std::vector<float> Floats(const ZeroedArray<float>& array) { return {array.begin(), array.end()}; }
std::vector<std::uint32_t> Indices(const ZeroedArray<std::uint32_t>& array) { return {array.begin(), array.end()}; }

TEST(XmlModel, ExampleGivesThreeVerticesOneFaceAndItsTexture) {
    std::vector<std::string> texturesSeen;
    Mesh mesh;
    const LoadResult result = ParseXML(ExampleModel(), mesh, [&](Mesh& m) { texturesSeen.push_back(m.texturePath); });
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(mesh.numVerts, 3u);
    EXPECT_EQ(mesh.numFaces, 1);
    EXPECT_EQ(mesh.numTextures, 1u);
    EXPECT_EQ(mesh.texturePath, "Assets/spheremap.bmp");
    EXPECT_EQ(texturesSeen, std::vector<std::string>{"Assets/spheremap.bmp"});
    EXPECT_EQ(Floats(mesh.verts), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(Floats(mesh.normals), (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(Floats(mesh.uvs), (std::vector<float>{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(Indices(mesh.faces), (std::vector<std::uint32_t>{0, 1, 2}));
}

TEST(XmlModel, TextSplitAnywhereReadsTheSameAsWhole) {
    std::string document = ExampleModel("Assets/some &amp; long/path.tga");
    // Long numbers and character references, so that text is split inside them.
    const std::string replaced = "<vertX>1.0</vertX>";
    document.replace(document.find(replaced), replaced.size(), "<vertX>  -12345.678901e-2</vertX>");
    document.replace(document.find("<numVerts>3"), 11, "<numVerts>&#51;");
    const Mesh whole = Parse(document);
    EXPECT_EQ(whole.verts[3], -123.45678901f);
    EXPECT_EQ(whole.texturePath, "Assets/some & long/path.tga");
    for (const std::size_t chunk : {1, 2, 3, 7, 64}) {
        SCOPED_TRACE(chunk);
        int allocations = 0;
        Mesh pieces;
        // Counting texture calls stands in for any per-chunk side effect.
        ASSERT_TRUE(ParseXML(
            document, pieces, [&](Mesh&) { ++allocations; }, chunk));
        EXPECT_EQ(allocations, 1);
        MeshSnapshot a = Snapshot(whole), b = Snapshot(pieces);
        a.vertsAddress = b.vertsAddress = nullptr;
        EXPECT_EQ(a, b);
    }
}

TEST(XmlModel, UnknownElementsAreTransparent) {
    // Text inside an unknown element inside a leaf belongs to the leaf, joined.
    Mesh mesh = Parse(InMesh("<numVerts>1<b>2</b>3</numVerts><numFaces><i>2</i></numFaces>"));
    EXPECT_EQ(mesh.numVerts, 123u);
    EXPECT_EQ(mesh.numFaces, 2);
    // An unknown element inside "vertex" changes neither the tag nor the index.
    mesh =
        Parse(InMesh("<numVerts>2</numVerts><vertList>"
                     "<vertex><vertX>1</vertX><extra>9<vertY>8</vertY></extra><vertZ>3</vertZ></vertex>"
                     "<vertex><other/><vertX>4</vertX></vertex></vertList>"));
    EXPECT_EQ(Floats(mesh.verts), (std::vector<float>{1, 8, 3, 4, 0, 0}));
    // Names are matched case-sensitively; attributes and namespaces don't matter.
    mesh = Parse("<m:mesh xmlns:m='urn:x' a='1'><NumVerts>5</NumVerts><m:numVerts b='2'>4</m:numVerts></m:mesh>");
    EXPECT_EQ(mesh.numVerts, 4u);
}

TEST(XmlModel, AnElementsEndSetsItsParentsKind) {
    // vertY inside vertX: vertX's text before it counts, after it the tag is
    // "vertex" and the rest is ignored.
    const Mesh mesh =
        Parse(InMesh("<numVerts>1</numVerts><vertList><vertex>"
                     "<vertX>1<vertY>2</vertY>3</vertX><vertZ>4</vertZ></vertex></vertList>"));
    EXPECT_EQ(Floats(mesh.verts), (std::vector<float>{1, 2, 4}));
}

TEST(XmlModel, CountsReallocateAndMeshElementsStartOver) {
    Mesh mesh =
        Parse(InMesh("<numVerts>2</numVerts><vertList><vertex><vertX>7</vertX></vertex></vertList>"
                     "<numVerts>2</numVerts>"));
    EXPECT_EQ(Floats(mesh.verts), std::vector<float>(6, 0.0f));  // the second count zeroes the arrays

    // A second mesh writes from index 0 again with its own counts.
    mesh = Parse(
        "<r><mesh><numVerts>2</numVerts><vertList><vertex/><vertex><vertX>5</vertX></vertex></vertList></mesh>"
        "<mesh><vertList><vertex><vertX>6</vertX></vertex></vertList></mesh></r>");
    EXPECT_EQ(Floats(mesh.verts), (std::vector<float>{6, 0, 0, 5, 0, 0}));

    // A nested mesh ends the outer one at its own end.
    mesh = Parse(InMesh("<numVerts>2</numVerts><mesh><numFaces>0</numFaces></mesh><numVerts>5</numVerts>"));
    EXPECT_EQ(mesh.numVerts, 2u);

    // Outside a mesh nothing acts.
    mesh = Parse("<r><numVerts>4</numVerts><mesh><numVerts>1</numVerts></mesh><numVerts>9</numVerts></r>");
    EXPECT_EQ(mesh.numVerts, 1u);
    mesh = Parse("<r><numVerts>4</numVerts></r>");
    EXPECT_EQ(mesh.numVerts, 0u);
    EXPECT_TRUE(mesh.verts.empty());
}

TEST(XmlModel, FewerEntriesThanTheCountsStayZero) {
    const Mesh mesh =
        Parse(InMesh("<numVerts>3</numVerts><numFaces>2</numFaces>"
                     "<faceList><face><faceA>2</faceA><faceB>1</faceB></face></faceList>"));
    EXPECT_EQ(Indices(mesh.faces), (std::vector<std::uint32_t>{2, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Floats(mesh.normals), std::vector<float>(9, 0.0f));
}

TEST(XmlModel, NumbersFollowTheIntegerAndRealRules) {
    Mesh mesh = Parse(InMesh("<numVerts> \n\t12</numVerts>"));
    EXPECT_EQ(mesh.numVerts, 12u);
    mesh = Parse(InMesh("<numVerts>twelve</numVerts>"));
    EXPECT_EQ(mesh.numVerts, 0u);
    EXPECT_TRUE(mesh.verts.empty());
    mesh =
        Parse(InMesh("<numVerts>+2x</numVerts><vertList><vertex><vertX>0.75</vertX><vertY> -1.5e2m</vertY>"
                     "<vertZ>.</vertZ><vertU>0.5</vertU><vertV>1</vertV></vertex>"
                     "<vertex><vertX>1e999</vertX><vertY>-1e-999</vertY><vertU>0.75</vertU></vertex></vertList>"));
    EXPECT_EQ(mesh.numVerts, 2u);
    EXPECT_EQ(mesh.verts[0], 0.75f);
    EXPECT_EQ(mesh.verts[1], -150.0f);
    EXPECT_EQ(mesh.verts[2], 0.0f);
    EXPECT_EQ(mesh.uvs[0], 0.5f);  // texture coordinates are real numbers
    EXPECT_EQ(mesh.uvs[1], 1.0f);
    EXPECT_EQ(mesh.verts[3], std::numeric_limits<float>::infinity());
    EXPECT_EQ(mesh.verts[4], 0.0f);
    EXPECT_TRUE(std::signbit(mesh.verts[4]));
    EXPECT_EQ(mesh.uvs[2], 0.75f);
}

TEST(NumberText, IntegersAndRealsLikeTheCLibraryInTheCLocale) {
    EXPECT_EQ(ReadInteger("  -42abc"), -42);
    EXPECT_EQ(ReadInteger("+7"), 7);
    EXPECT_EQ(ReadInteger("--7"), 0);
    EXPECT_EQ(ReadInteger(""), 0);
    EXPECT_EQ(ReadInteger("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(ReadInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ReadReal("\v 2.5E+1x"), 25.0f);
    EXPECT_EQ(ReadReal("+.5"), 0.5f);
    EXPECT_EQ(ReadReal("+-1"), 0.0f);
    EXPECT_EQ(ReadReal("1,5"), 1.0f);
    EXPECT_EQ(ReadReal("0.1"), static_cast<float>(0.1));  // through double, as atof then a float store
}

TEST(NumberText, RealsMatchTheCLibraryToTheBit) {
    // Short plain decimals take a fast path; everything else from_chars.
    // Both must give what strtod then a float store gives in the C locale.
    std::uint64_t state = 12345;
    const auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return state >> 33;
    };
    char text[64];
    for (int i = 0; i < 200000; ++i) {
        const int intDigits = static_cast<int>(next() % 9), fracDigits = static_cast<int>(next() % 12);
        int n = 0;
        if (next() % 2) text[n++] = '-';
        for (int k = 0; k < intDigits; ++k) text[n++] = static_cast<char>('0' + next() % 10);
        if (fracDigits || next() % 2) text[n++] = '.';
        for (int k = 0; k < fracDigits; ++k) text[n++] = static_cast<char>('0' + next() % 10);
        if (next() % 4 == 0) {
            const char* forms[] = {"e%d", "E%d", "e+%d", "e", "e-", "e%05d"};
            n += std::snprintf(text + n, sizeof text - n, forms[next() % 6], static_cast<int>(next() % 80) - 40);
        }
        text[n] = '\0';
        const float expected = static_cast<float>(std::strtod(text, nullptr));
        const float got = ReadReal(text);
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << text << ": " << got << " vs " << expected;
    }
}

TEST(NumberText, ACommaLocaleChangesNothing) {
    const char* const candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const char* chosen = nullptr;
    for (const char* name : candidates)
        if (std::setlocale(LC_ALL, name)) {
            chosen = name;
            break;
        }
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma is installed (package locales-all)";
    ASSERT_EQ(std::localeconv()->decimal_point[0], ',') << chosen;
    const float real = ReadReal("0.75");
    Mesh mesh;
    const LoadResult result = ParseXML(
        InMesh("<numVerts>1</numVerts><vertList><vertex><vertX>0.75</vertX><vertU>0.5</vertU></vertex></vertList>"),
        mesh);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(real, 0.75f);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(mesh.verts[0], 0.75f);
    EXPECT_EQ(mesh.uvs[0], 0.5f);
}

TEST(XmlModel, TexturePathIsKeptExactlyAndEachTextureCallsTheHook) {
    std::vector<std::string> seen;
    Mesh mesh;
    ASSERT_TRUE(ParseXML(InMesh("<textureList><texture>Assets/spheremap.bmp\n</texture><texture></texture>"
                                "<texture> b.tga</texture></textureList>"),
                         mesh, [&](Mesh& m) { seen.push_back(m.texturePath); }));
    // An empty element has no text, so no texture is loaded for it.
    EXPECT_EQ(seen, (std::vector<std::string>{"Assets/spheremap.bmp\n", " b.tga"}));
    EXPECT_EQ(mesh.numTextures, 0u);  // no numTextures element
}

TEST(XmlModel, MalformedOrBrokenOffDocumentsAreRefusedWithTheLine) {
    EXPECT_NE(Refusal("<mesh>\n<numVerts>3</numVerts>\n<vertList></faceList>\n</mesh>").find("line 3"),
              std::string::npos);
    const std::string example = ExampleModel();
    for (const std::size_t cut : {example.size() / 3, example.size() / 2, example.size() - 3})
        EXPECT_FALSE(Refusal(example.substr(0, cut)).empty()) << cut;
    EXPECT_FALSE(Refusal("").empty());
    EXPECT_FALSE(Refusal("not xml").empty());
}

TEST(XmlModel, EntriesOutsideTheirCountsAreRefused) {
    EXPECT_EQ(Refusal(InMesh("<vertList><vertex><vertX>1</vertX></vertex></vertList>")),
              "line 1: vertex data before numVerts");
    EXPECT_EQ(Refusal(InMesh("\n<numVerts>1</numVerts><vertList><vertex/>\n<vertex><vertU>1</vertU></vertex>"
                             "</vertList>")),
              "line 3: vertex 1 is beyond the 1 vertices declared by numVerts");
    EXPECT_EQ(Refusal(InMesh("<faceList><face><faceA>0</faceA></face></faceList>")),
              "line 1: face data before numFaces");
    EXPECT_EQ(Refusal(InMesh("<numVerts>3</numVerts><numFaces>1</numFaces><faceList><face/><face><faceC>0</faceC>"
                             "</face></faceList>")),
              "line 1: face 1 is beyond the 1 faces declared by numFaces");
    // A vertex data element directly under mesh writes at the current index too.
    EXPECT_FALSE(Refusal(InMesh("<vertX>1</vertX>")).empty());
}

TEST(XmlModel, FaceIndicesAreCheckedAgainstTheFinalVertexCount) {
    const std::string faces =
        "<numFaces>1</numFaces><faceList><face><faceA>0</faceA><faceB>1</faceB>"
        "<faceC>2</faceC></face></faceList>";
    // The vertex count may come after the faces.
    EXPECT_EQ(Parse(InMesh(faces + "<numVerts>3</numVerts>")).numVerts, 3u);
    EXPECT_EQ(Refusal(InMesh(faces + "<numVerts>2</numVerts>")), "face 0 uses vertex 2, but the model has 2 vertices");
    // Faces never filled are 0, 0, 0: invalid without vertices.
    EXPECT_FALSE(Refusal(InMesh("<numFaces>1</numFaces>")).empty());
    EXPECT_EQ(Refusal(InMesh("<numVerts>3</numVerts><numFaces>1</numFaces><faceList><face><faceA>-1</faceA>"
                             "</face></faceList>")),
              "line 1: face 0 has the vertex index -1");
}

TEST(XmlModel, HugeOrNegativeCountsAreRefusedBeforeAllocating) {
    const ScopedMemoryLimit memory(32 * ScopedMemoryLimit::kGiB);  // refusals must not depend on the host
    EXPECT_EQ(Refusal(InMesh("<numVerts>4294967295</numVerts>")),
              "line 1: 4294967295 vertices need more memory than this machine has");
    EXPECT_EQ(Refusal(InMesh("<numVerts>-1</numVerts>")), "line 1: vertex count -1 is out of range");
    EXPECT_EQ(Refusal(InMesh("<numVerts>99999999999</numVerts>")), "line 1: vertex count 99999999999 is out of range");
    EXPECT_EQ(Refusal(InMesh("<numFaces>-3</numFaces>")), "line 1: negative face count -3");
    EXPECT_EQ(Refusal(InMesh("<numFaces>2147483648</numFaces>")), "line 1: face count 2147483648 is out of range");
    // Vertices and faces together must fit.
    EXPECT_FALSE(Refusal(InMesh("<numVerts>2000000000</numVerts><numFaces>2147483647</numFaces>")).empty());
}

TEST(XmlModel, TheMemoryLimitIsTheBoundForVerticesAndFacesTogether) {
    // 32 bytes a vertex and 12 a face: 1000 vertices and 100 faces take exactly 33200 bytes.
    const std::string counts = "<numVerts>1000</numVerts><numFaces>100</numFaces>";
    {
        const ScopedMemoryLimit memory(33200);
        Mesh mesh;
        const LoadResult result = ParseXML(InMesh(counts), mesh);
        EXPECT_TRUE(result.ok) << result.reason;
    }
    const ScopedMemoryLimit memory(33199);
    EXPECT_EQ(Refusal(InMesh(counts)), "line 1: 100 faces need more memory than this machine has");
    // The same bound with the faces declared first.
    EXPECT_EQ(Refusal(InMesh("<numFaces>100</numFaces><numVerts>1000</numVerts>")),
              "line 1: 1000 vertices need more memory than this machine has");
}

TEST(XmlModel, NegativeTextureCountsAreKeptAsTheirUnsignedValue) {
    // Any count but 0 means "has a texture"; below the int range it is clamped first.
    EXPECT_EQ(Parse(InMesh("<numTextures>-1</numTextures>")).numTextures, 0xFFFFFFFFu);
    EXPECT_EQ(Parse(InMesh("<numTextures>-99999999999</numTextures>")).numTextures, 0x80000000u);
}

TEST(XmlModel, CDataSectionsAreTextLikeAnyOther) {
    const std::string document = InMesh(
        "<numVerts><![CDATA[1]]></numVerts><numTextures>1</numTextures>"
        "<textureList><texture><![CDATA[a&b <1>.bmp]]></texture></textureList>"
        "<vertList><vertex><vertX>1<![CDATA[.5]]></vertX></vertex></vertList>");
    for (const std::size_t chunk : {std::size_t{1}, kXmlChunkBytes}) {
        const Mesh mesh = Parse(document, chunk);
        EXPECT_EQ(mesh.numVerts, 1u) << chunk;
        EXPECT_EQ(mesh.texturePath, "a&b <1>.bmp") << chunk;
        ASSERT_EQ(mesh.verts.size(), 3u) << chunk;
        EXPECT_EQ(mesh.verts[0], 1.5f) << chunk;
    }
}

TEST(XmlModel, EntitiesFromADocumentTypeAreNeverExpanded) {
    std::string laughs = "<?xml version='1.0'?><!DOCTYPE mesh [<!ENTITY a '1234567890'>";
    char previous = 'a';
    for (char e = 'b'; e <= 'k'; previous = e++) {
        laughs += std::string("<!ENTITY ") + e + " '";
        for (int i = 0; i < 10; ++i) laughs += std::string("&") + previous + ";";
        laughs += "'>";
    }
    laughs += "]><mesh><name>&k;</name><numVerts>&a;</numVerts></mesh>";
    EXPECT_FALSE(Refusal(laughs).empty());
    // An external entity is neither fetched nor read.
    EXPECT_FALSE(
        Refusal("<!DOCTYPE mesh [<!ENTITY x SYSTEM '/etc/hostname'>]><mesh><numVerts>&x;</numVerts></mesh>").empty());
}

TEST(XmlModel, TooLongTexturePathIsRefused) {
    const std::string path(MeshContentHandler::kMaxText + 1, 'a');
    EXPECT_EQ(Refusal(InMesh("<textureList><texture>" + path + "</texture></textureList>")),
              "line 1: the texture path is longer than 65536 bytes");
    // Numbers are cut, not refused: only their beginning counts.
    EXPECT_EQ(Parse(InMesh("<numVerts>2" + std::string(100000, ' ') + "x</numVerts>")).numVerts, 2u);
}

TEST(XmlModel, ReadXmlReportsProgressAndCancels) {
    TempDir dir;
    std::string document = "<mesh><numVerts>20000</numVerts><vertList>";
    for (int i = 0; i < 20000; ++i) document += "<vertex><vertX>" + std::to_string(i) + "</vertX></vertex>\n";
    document += "</vertList></mesh>";
    const std::string path = dir.File("big.xml");
    ASSERT_TRUE(WriteFile(path, document));

    std::vector<std::uint64_t> seen;
    Mesh mesh;
    const LoadResult result = ReadXML(path, mesh, {}, [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_EQ(total, document.size());
        seen.push_back(done);
        return true;
    });
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(mesh.verts[3 * 19999], 19999.0f);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), kXmlChunkBytes);
    EXPECT_EQ(seen.back(), document.size());

    Mesh cancelled;
    const LoadResult stop = ReadXML(path, cancelled, {}, [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_FALSE(stop.ok);
    EXPECT_TRUE(stop.cancelled);

    const LoadResult missing = ReadXML(dir.File("absent.xml"), cancelled);
    EXPECT_NE(missing.reason.find("No such file"), std::string::npos) << missing.reason;

    // A folder opens on some systems but holds no document.
    std::filesystem::create_directories(dir.Path() / "folder.xml");
    Mesh fromFolder;
    const LoadResult folder = ReadXML(dir.File("folder.xml"), fromFolder);
    EXPECT_FALSE(folder.ok);
    EXPECT_FALSE(folder.cancelled);
    EXPECT_EQ(folder.reason, "not a readable file");
    EXPECT_EQ(fromFolder.numVerts, 0u);
}

}  // namespace

// A few bytes declaring huge counts keep only what the file gives: a long
// unsupplied tail of faces or vertices is dropped, and faces using vertices
// far beyond the given ones are refused with both counts.
TEST(XmlModel, DeclaredCountsBeyondWhatTheFileGivesAreDropped) {
    // 400000000 faces take 4.8 GB: allowed here whatever the host has.
    const ScopedMemoryLimit memory(32 * ScopedMemoryLimit::kGiB);
    const std::string face = "<faceList><face><faceA>0</faceA><faceB>1</faceB><faceC>1</faceC></face></faceList>";
    const std::string twoVertices =
        "<vertList><vertex><vertX>1</vertX></vertex><vertex><vertY>2</vertY></vertex>"
        "</vertList>";
    Mesh mesh = Parse(InMesh("<numVerts>3</numVerts><numFaces>400000000</numFaces>" + face));
    EXPECT_EQ(mesh.numFaces, 1);
    EXPECT_EQ(Indices(mesh.faces), (std::vector<std::uint32_t>{0, 1, 1}));
    EXPECT_EQ(mesh.numVerts, 3u);  // a short unsupplied tail stays as declared

    // A last face given in part is kept, its missing indices 0.
    const std::string full = "<face><faceA>0</faceA><faceB>1</faceB><faceC>1</faceC></face>";
    mesh = Parse(InMesh("<numVerts>3</numVerts><numFaces>400000000</numFaces><faceList>" + full +
                        "<face><faceA>2</faceA><faceB>1</faceB></face></faceList>"));
    EXPECT_EQ(mesh.numFaces, 2);
    EXPECT_EQ(Indices(mesh.faces), (std::vector<std::uint32_t>{0, 1, 1, 2, 1, 0}));
    mesh = Parse(InMesh("<numVerts>3</numVerts><numFaces>400000000</numFaces><faceList>" + full +
                        "<face><faceA>2</faceA></face></faceList>"));
    EXPECT_EQ(mesh.numFaces, 2);
    EXPECT_EQ(Indices(mesh.faces), (std::vector<std::uint32_t>{0, 1, 1, 2, 0, 0}));

    mesh = Parse(InMesh("<numVerts>10000000</numVerts><numFaces>1</numFaces>" + twoVertices + face));
    EXPECT_EQ(mesh.numVerts, 2u);
    EXPECT_EQ(Floats(mesh.verts), (std::vector<float>{1, 0, 0, 0, 2, 0}));
    EXPECT_EQ(mesh.normals.size(), 6u);
    EXPECT_EQ(mesh.uvs.size(), 4u);

    const std::string far = "<faceList><face><faceC>9999999</faceC></face></faceList>";
    EXPECT_EQ(Refusal(InMesh("<numVerts>10000000</numVerts><numFaces>1</numFaces>" + twoVertices + far)),
              "the faces use vertex 9999999, but the file gives 2 of the 10000000 vertices it declares");
}

// A well-formed document without a mesh or a count is no model.
TEST(XmlModel, ADocumentWithoutAMeshIsRefused) {
    EXPECT_EQ(Refusal("<svg xmlns='http://www.w3.org/2000/svg'><path d='M0 0'/><text>1</text></svg>"),
              "no mesh in this document");
    EXPECT_EQ(Refusal("<?xml version='1.0'?><doc/>"), "no mesh in this document");
    EXPECT_EQ(Parse("<mesh/>").numVerts, 0u);
}

// Numbers are read whole, however long their text, split or not.
TEST(XmlModel, NumbersOfAnyLengthReadAsAWhole) {
    const std::string zeros(70000, '0');
    const std::string document =
        InMesh("<numVerts>" + zeros + "2</numVerts><vertList><vertex><vertX>" + zeros + "1.5</vertX><vertY>1" + zeros +
               "e-70000</vertY><vertZ>-0." + zeros + "25e70001</vertZ></vertex></vertList>");
    for (const std::size_t chunk : {kXmlChunkBytes, std::size_t{4096}}) {
        const Mesh mesh = Parse(document, chunk);
        EXPECT_EQ(mesh.numVerts, 2u);
        EXPECT_EQ(Floats(mesh.verts), (std::vector<float>{1.5f, 1.0f, -2.5f, 0, 0, 0}));
    }
}

// A number whose first part fits the handler's short buffer and whose rest
// then outgrows it reads as its whole text: split by a character reference,
// or fed in two chunks cut anywhere in its first 64 bytes. (libxml2 hands on
// the text before a chunk's end only when 300 bytes or more of it are
// there: white space, which numbers skip, makes them up.)
TEST(XmlModel, ANumberOutgrowingItsFirstPartReadsAsAWhole) {
    const std::string zeros(80, '0');
    const std::string head = "<mesh><numVerts>1</numVerts><vertList><vertex><vertX>";
    const std::string document = head + "1&#46;5" + zeros + "</vertX><vertY>" + std::string(300, ' ') + "2.5" + zeros +
                                 "</vertY></vertex></vertList></mesh>";
    for (const std::size_t number : {head.size(), document.find("2.5")}) {
        for (std::size_t cut = number; cut <= number + 64; ++cut) {
            SCOPED_TRACE(cut);
            Mesh mesh;
            XmlModelParser parser(mesh, {});
            ASSERT_TRUE(parser.Feed(std::span<const char>(document.data(), cut)));
            ASSERT_TRUE(parser.Feed(std::span<const char>(document.data() + cut, document.size() - cut)));
            const LoadResult result = parser.Finish();
            ASSERT_TRUE(result) << result.reason;
            EXPECT_EQ(Floats(mesh.verts), (std::vector<float>{1.5f, 2.5f, 0}));
        }
    }
}
