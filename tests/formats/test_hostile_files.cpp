// Small hostile or faulty files, each rule grouped in one test: what a file
// declares must be held by its bytes, one XML leaf's text is bounded, only
// finite positions are read, triangle strips are refused, and the import
// process has limits of memory and processor time.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "formats/bin/bin_format.h"
#include "formats/scene/import_process.h"
#include "formats/scene/scene_import.h"
#include "formats/xml/mesh_content_handler.h"
#include "formats/xml/xml_reader.h"
#include "formats/scene/scene_files.h"
#include "mesh/model_test_support.h"
#include "support/memory_limit.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// The elements of a triangle: three vertices, one face whose list's length
// is of lengthType.
std::string TrianglePlyElements(const std::string& lengthType = "uchar") {
    return "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
           "element face 1\nproperty list " +
           lengthType + " int vertex_indices\nend_header\n";
}
const std::string kTrianglePlyHeader = TrianglePlyElements();

std::string AsciiPly(const std::string& elements, const std::string& body) {
    return "ply\nformat ascii 1.0\n" + elements + body;
}

// Appends values in the byte order the PLY format line names.
template <class T>
void Put(Bytes& bytes, T value, bool bigEndian = false) {
    std::uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    for (std::size_t i = 0; i < sizeof(T); ++i) bytes.push_back(raw[bigEndian ? sizeof(T) - 1 - i : i]);
}

// The triangle (0,0,0) (1,0,0) (0,1,0) as binary PLY; faceLength is the
// byte of the length its one face's list declares (3 for a whole triangle).
Bytes BinaryTrianglePly(bool bigEndian, std::uint8_t faceLength = 3, const std::string& lengthType = "uchar") {
    Bytes ply = ToBytes(std::string("ply\nformat binary_") + (bigEndian ? "big" : "little") + "_endian 1.0\n" +
                        TrianglePlyElements(lengthType));
    for (const float v : {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f}) Put(ply, v, bigEndian);
    ply.push_back(faceLength);
    for (const std::int32_t i : {0, 1, 2}) Put(ply, i, bigEndian);
    return ply;
}

class HostileFile : public testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(WriteFile(path, bytes.data(), bytes.size()));
        return path;
    }
    // The reason ReadScene refuses the file with; the mesh stays as it was.
    std::string SceneRefusal(const std::string& name, const Bytes& bytes) {
        Mesh mesh = MakeMesh(4, 2);
        const MeshSnapshot before = Snapshot(mesh);
        const LoadResult result = ReadScene(Write(name, bytes), mesh);
        EXPECT_FALSE(result.ok) << name;
        EXPECT_FALSE(result.cancelled) << name;
        EXPECT_EQ(Snapshot(mesh), before) << name;
        return result.reason;
    }
    TempDir dir_;
};

// PLY counts are checked against the bytes that must hold them before the
// library sees the file: binary records (fixed sizes, and lists by the
// lengths they give), ASCII lines (one per element, with a value for each
// property and each list item). Reading from memory checks the same.
TEST_F(HostileFile, DeclaredCountsTheFileCannotHoldAreRefused) {
    // 226 bytes declaring 200,000,000 vertices of 12 bytes.
    std::string header =
        "ply\nformat binary_little_endian 1.0\ncomment 200 million\nelement vertex 200000000\n"
        "property float x\nproperty float y\nproperty float z\nelement face 1\n"
        "property list uchar int vertex_indices\nend_header\n";
    Bytes huge = ToBytes(header);
    huge.resize(226, 0);
    EXPECT_EQ(SceneRefusal("huge.ply", huge),
              "the PLY header declares 200000000 \"vertex\" elements, but the file holds only 2 (12 bytes each, 29 "
              "bytes left for them)");

    // 25,000,000 ASCII vertices with a body of three lines.
    const std::string manyVertices =
        "element vertex 25000000\nproperty float x\nproperty float y\nproperty float z\n"
        "element face 1\nproperty list uchar int vertex_indices\nend_header\n";
    EXPECT_EQ(SceneRefusal("many.ply", ToBytes(AsciiPly(manyVertices, "0 0 0\n1 0 0\n0 1 0\n"))),
              "the PLY header declares 25000000 \"vertex\" elements, but the file holds only 3");

    // A cut-off ASCII file holds fewer faces than it declares, its last one in part.
    std::string cube =
        "element vertex 8\nproperty float x\nproperty float y\nproperty float z\n"
        "element face 12\nproperty list uchar int vertex_indices\nend_header\n";
    std::string body = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n";
    for (int f = 0; f < 5; ++f) body += "3 0 1 2\n";
    EXPECT_EQ(SceneRefusal("cut.ply", ToBytes(AsciiPly(cube, body + "3 0 1"))),
              "the PLY header declares 12 \"face\" elements, but the file holds only 5");
    for (int f = 5; f < 12; ++f) body += "3 4 5 6\n";
    Mesh whole;
    const LoadResult loaded = ReadScene(Write("whole.ply", ToBytes(AsciiPly(cube, body))), whole);
    ASSERT_TRUE(loaded) << loaded.reason;
    EXPECT_EQ(whole.numFaces, 12);

    // A list longer than its line, or than the file.
    EXPECT_EQ(SceneRefusal("long_list.ply", ToBytes(AsciiPly(kTrianglePlyHeader,
                                                             "0 0 0\n1 0 0\n0 1 0\n"
                                                             "4000000000 0 1 2\n"))),
              "line 13: \"face\" element 0 has fewer values on its line than its properties and list lengths need");
    EXPECT_EQ(SceneRefusal("long_list.ply", BinaryTrianglePly(false, 200)),
              "the PLY header declares 1 \"face\" elements, but the file holds only 0");
    EXPECT_EQ(SceneRefusal("negative.ply", ToBytes(AsciiPly(kTrianglePlyHeader, "0 0 0\n1 0 0\n0 1 0\n-3 0 1 2\n"))),
              "line 13: \"face\" element 0 has a list of negative length");
    EXPECT_EQ(SceneRefusal("negative.ply", BinaryTrianglePly(false, 0xFD, "char")),
              "\"face\" element 0 has a list of negative length");
    EXPECT_EQ(SceneRefusal("short_line.ply", ToBytes(AsciiPly(kTrianglePlyHeader, "0 0 0\n1 0\n0 1 0\n3 0 1 2\n"))),
              "line 11: \"vertex\" element 1 has fewer values on its line than its properties and list lengths need");

    // Headers the check can't follow are refused with their line.
    const std::pair<std::string, std::string> headers[] = {
        {"element vertex 3\nproperty float3 x\nend_header\n", "line 4 of the PLY header: \"float3\" is not a PLY type"},
        {"property float x\nend_header\n", "line 3 of the PLY header: a property before any element"},
        {"element vertex 5000000000\nproperty float x\nend_header\n",
         "line 3 of the PLY header: the count \"5000000000\" of element \"vertex\" is not a whole number up to "
         "4294967295"},
        {"element face 1\nproperty list float int vertex_indices\nend_header\n",
         "line 4 of the PLY header: the length type \"float\" of a list is not an integer type"},
        {"element vertex 3000000000\nend_header\n",
         "element \"vertex\" declares 3000000000 instances but no properties"},
        {"element vertex 1\nproperty float x\n", "the PLY header has no end_header line"},
    };
    for (const auto& [declared, reason] : headers)
        EXPECT_EQ(SceneRefusal("header.ply", ToBytes(AsciiPly(declared, "1\n"))), reason) << declared;

    // Whole files of every encoding load, as do CRLF line ends, blank lines, and
    // values past the properties.
    const Bytes good[] = {
        BinaryTrianglePly(false),
        BinaryTrianglePly(true),
        ToBytes(AsciiPly(kTrianglePlyHeader, "0 0 0\n1 0 0\n\n0 1 0 7\n3 0 1 2\n")),
        ToBytes("ply\r\nformat ascii 1.0\r\nelement vertex 3\r\nproperty float x\r\nproperty float y\r\n"
                "property float z\r\nelement face 1\r\nproperty list uchar int vertex_indices\r\nend_header\r\n"
                "0 0 0\r\n1 0 0\r\n0 1 0\r\n3 0 1 2\r\n"),
    };
    for (const Bytes& bytes : good) {
        Mesh mesh;
        const LoadResult result = ReadScene(Write("good.ply", bytes), mesh);
        ASSERT_TRUE(result) << result.reason;
        EXPECT_EQ(mesh.numFaces, 1);
        Mesh fromMemory;
        EXPECT_TRUE(ParseScene(bytes, ModelFormat::PLY, fromMemory));
    }
    Mesh fromMemory;
    EXPECT_EQ(ParseScene(huge, ModelFormat::PLY, fromMemory).reason.substr(0, 60),
              "the PLY header declares 200000000 \"vertex\" elements, but the");
}

// A PLY whose faces are triangle strips is refused, saying so; a strips
// element with no instances is harmless.
TEST_F(HostileFile, TriangleStripsAreRefusedByName) {
    const std::string strips =
        "element vertex 4\nproperty float x\nproperty float y\nproperty float z\n"
        "element tristrips 1\nproperty list int int vertex_indices\nend_header\n";
    const std::string reason =
        "line 7 of the PLY header: the faces are triangle strips (element \"tristrips\"), which are not read; only "
        "\"face\" elements are";
    EXPECT_EQ(SceneRefusal("strips.ply", ToBytes(AsciiPly(strips, "0 0 0\n1 0 0\n0 1 0\n1 1 0\n4 0 1 2 3\n"))), reason);
    Bytes binary = ToBytes("ply\nformat binary_little_endian 1.0\n" + strips);
    for (int k = 0; k < 12; ++k) Put(binary, static_cast<float>(k % 2));
    for (const std::int32_t i : {4, 0, 1, 2, 3}) Put(binary, i);
    EXPECT_EQ(SceneRefusal("strips.ply", binary), reason);

    const std::string none =
        "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
        "element tristrips 0\nproperty list int int vertex_indices\n"
        "element face 1\nproperty list uchar int vertex_indices\nend_header\n";
    Mesh mesh;
    const LoadResult result =
        ReadScene(Write("none.ply", ToBytes(AsciiPly(none, "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"))), mesh);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(mesh.numFaces, 1);
}

// The text of one XML number is kept up to a bound, leading white space
// not counted; one byte more refuses the model with the line, however the
// text arrives (in one chunk or many, read in pieces side by side or not).
TEST_F(HostileFile, TheTextOfOneXmlLeafIsBounded) {
    const std::size_t bound = MeshContentHandler::kMaxNumberText;
    const auto document = [](const std::string& number) {
        return "<mesh>\n<numVerts>1</numVerts>\n<vertList><vertex>\n<vertX>" + number +
               "</vertX>\n<vertY>2</vertY>"
               "</vertex></vertList><numFaces>1</numFaces><faceList><face><faceA>0</faceA></face></faceList></mesh>";
    };
    const std::string atBound = std::string(1000, ' ') + "1.5" + std::string(bound - 3, '0');
    for (const std::size_t chunk : {kXmlChunkBytes, std::size_t{4096}}) {
        Mesh mesh;
        const LoadResult result = ParseXML(document(atBound), mesh, {}, chunk);
        ASSERT_TRUE(result) << result.reason;
        EXPECT_EQ(mesh.verts[0], 1.5f);
        EXPECT_EQ(mesh.verts[1], 2.0f);

        Mesh refused;
        EXPECT_EQ(ParseXML(document(atBound + "0"), refused, {}, chunk).reason,
                  "line 4: the number in \"vertX\" is longer than 1048576 bytes");
    }
    const std::string path = Write("long.xml", ToBytes(document(atBound + " ")));
    for (const unsigned pieces : {1u, 4u}) {
        Mesh mesh;
        EXPECT_EQ(ReadXMLInPieces(path, mesh, pieces).result.reason,
                  "line 4: the number in \"vertX\" is longer than 1048576 bytes");
    }
    // Counts and face indices are numbers too.
    Mesh counts;
    EXPECT_EQ(ParseXML("<mesh><numFaces>" + std::string(bound + 1, '7') + "</numFaces></mesh>", counts).reason,
              "line 1: the number in \"numFaces\" is longer than 1048576 bytes");
}

// Positions must be finite: BIN (from a file and from memory), a model from
// the import library, and the import process's own check of what its child
// sends. A reference to an undeclared entity inside a number refuses the XML
// model with its line, rather than reading the text around it as one number.
TEST_F(HostileFile, NonFinitePositionsAndUnreadableNumbersAreRefused) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const auto& [value, shown] : {std::pair{inf, "inf"}, {-inf, "-inf"}, {nan, "nan"}}) {
        Mesh model = MakeMesh(4, 2);
        model.verts[6] = -2.5f;  // vertex 2
        model.verts[7] = value;
        model.verts[8] = 0.25f;
        const std::string path = dir_.File("bad.bin");
        const WriteResult written = WriteBIN(model, path);
        ASSERT_TRUE(written) << written.reason;
        const std::string reason =
            std::string("vertex 2 has the position (-2.5, ") + shown + ", 0.25): only finite coordinates are read";
        Mesh fromFile = MakeMesh(3, 1);
        const MeshSnapshot before = Snapshot(fromFile);
        EXPECT_EQ(ReadBIN(path, fromFile).reason, reason);
        EXPECT_EQ(Snapshot(fromFile), before);
        const std::string bytes = ReadText(path);
        Mesh fromMemory;
        EXPECT_EQ(ParseBIN({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, fromMemory).reason,
                  reason);
        // What a child process sends is checked the same way.
        const ChildImport sendsIt = [&model](Mesh& out, const LoadProgress&) {
            out = MakeMesh(4, 2);
            std::copy_n(&model.verts[6], 3, &out.verts[6]);
            return LoadResult::Success();
        };
        Mesh imported;
        EXPECT_EQ(ImportInChildProcess(sendsIt, 100, imported).reason,
                  "the import process sent an invalid model: " + reason);
    }
    // Normals and texture coordinates are not positions: they may be anything.
    Mesh odd = MakeMesh(3, 1);
    odd.normals[0] = inf;
    odd.uvs[1] = nan;
    const WriteResult oddWritten = WriteBIN(odd, dir_.File("odd.bin"));
    ASSERT_TRUE(oddWritten) << oddWritten.reason;
    Mesh oddBack;
    EXPECT_TRUE(ReadBIN(dir_.File("odd.bin"), oddBack));

    // A GLB whose second corner lies at infinity (its node transforms make
    // NaN of the zeros beside it).
    Bytes buffer = TriangleBuffer();
    const float corner[3] = {inf, 0, 0};
    std::memcpy(buffer.data() + 12, corner, sizeof corner);
    const std::string reason = SceneRefusal("inf.glb", Glb(TwoNodeGltfJson(""), buffer));
    EXPECT_TRUE(reason.starts_with("vertex ") && reason.find("has the position (inf, ") != std::string::npos &&
                reason.ends_with("): only finite coordinates are read"))
        << reason;

    // "1&e;5" under an external document type: the entity is not declared here.
    const std::string head = "<?xml version='1.0'?>\n<!DOCTYPE mesh SYSTEM 'mesh.dtd'>\n<mesh><numVerts>1</numVerts>\n";
    Mesh xml;
    EXPECT_EQ(ParseXML(head + "<vertList><vertex><vertX>1&e;5</vertX></vertex></vertList></mesh>", xml).reason,
              "line 4: the entity reference &e; is not declared in the document, so its text can't be read");
    Mesh path;
    EXPECT_EQ(ParseXML(head + "<textureList><texture>a&e;.bmp</texture></textureList></mesh>", path).reason,
              "line 4: the entity reference &e; is not declared in the document, so its text can't be read");
    // Where no text is used it changes nothing.
    Mesh named;
    const LoadResult result = ParseXML(head +
                                           "<name>&e;</name><vertList><vertex><vertX>1.5</vertX></vertex>"
                                           "</vertList></mesh>",
                                       named);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(named.verts[0], 1.5f);
}

// The import process may take memory and processor time up to its limits:
// beyond them the import is refused, naming the limit. A file the import
// reads besides the first raises them in proportion.
TEST_F(HostileFile, TheImportProcessHasLimitsOfMemoryAndTime) {
    const ChildImport spin = [](Mesh&, const LoadProgress&) -> LoadResult {
        volatile std::uint64_t turns = 0;
        for (;;) {
            turns = turns + 1;
        }
    };
    Mesh mesh = MakeMesh(4, 2);
    const MeshSnapshot before = Snapshot(mesh);
    EXPECT_EQ(ImportInChildProcess(spin, 100, mesh, {}, {0, 1}).reason,
              "the import exceeded its time limit of 1 s of processor time");
    EXPECT_EQ(Snapshot(mesh), before);

    if (kAddressSanitizer) GTEST_SKIP() << "AddressSanitizer's allocator ends the process on a failed allocation";
    // Touches every page, so that a limit that were not there would show.
    const auto allocate = [](std::uint64_t bytes) {
        return [bytes](Mesh& out, const LoadProgress&) {
            const std::unique_ptr<char[]> block(new char[bytes]);
            std::memset(block.get(), 1, bytes);
            out = MakeMesh(3, 1);
            return LoadResult::Success();
        };
    };
    EXPECT_EQ(ImportInChildProcess(allocate(96 * kMiB), 100, mesh, {}, {64 * kMiB, 0}).reason,
              "the import exceeded its memory limit of 64 MiB");
    EXPECT_EQ(Snapshot(mesh), before);
    const LoadResult fits = ImportInChildProcess(allocate(32 * kMiB), 100, mesh, {}, {64 * kMiB, 0});
    ASSERT_TRUE(fits) << fits.reason;
    EXPECT_EQ(mesh.numVerts, 3u);

    // 1 MiB more input raises the limit by 64 MiB.
    const ChildImport readsMore = [&allocate](Mesh& out, const LoadProgress& progress) {
        AllowMoreChildInput(kMiB);
        return allocate(96 * kMiB)(out, progress);
    };
    const LoadResult raised = ImportInChildProcess(readsMore, 100, mesh, {}, {64 * kMiB, 0});
    ASSERT_TRUE(raised) << raised.reason;

    // Through ReadScene: the library reserves what a COLLADA array declares
    // before it reads the values. 4 GB from a file of 700 bytes are beyond
    // the limit for its size; 200 MB are within it, and beyond a forced one.
    const ScopedMemoryLimit machine(32 * ScopedMemoryLimit::kGiB);
    const auto collada = [this](const std::string& count) {
        return Write("array.dae", ToBytes(R"(<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<library_geometries><geometry id="g"><mesh>
<source id="p"><float_array id="pa" count=")" +
                                          count + R"(">0 0 0 1 0 0 0 1 0</float_array></source>
</mesh></geometry></library_geometries>
</COLLADA>
)"));
    };
    Mesh scene;
    EXPECT_EQ(ReadScene(collada("1000000000"), scene).reason, "the import exceeded its memory limit of 256 MiB");
    const std::string fiftyMillion = collada("50000000");
    EXPECT_EQ(ReadScene(fiftyMillion, scene, {}, {}, ChildLimits{16 * kMiB, 0}).reason,
              "the import exceeded its memory limit of 16 MiB");
    const std::string libraryReason = ReadScene(fiftyMillion, scene).reason;
    EXPECT_EQ(libraryReason.find("limit"), std::string::npos) << libraryReason;
    EXPECT_EQ(scene.numVerts, 0u);

    // A file the model refers to raises the limit: a buffer of 40 MiB, read
    // whole by the library, under a limit of 16 MiB for the .gltf's own size.
    Bytes buffer = TriangleBuffer();
    buffer.resize(40 * kMiB);
    Write("big.bin", buffer);
    std::string gltf = TwoNodeGltfJson("big.bin");
    const std::string bufferLength = "\"byteLength\":36}]";  // the buffer's; the view's stays
    gltf.replace(gltf.rfind(bufferLength), bufferLength.size(),
                 "\"byteLength\":" + std::to_string(buffer.size()) + "}]");
    const LoadResult referred = ReadScene(Write("big.gltf", ToBytes(gltf)), scene, {}, {}, ChildLimits{16 * kMiB, 0});
    ASSERT_TRUE(referred) << referred.reason;
    EXPECT_EQ(scene.numFaces, 2);

    const LoadResult cube = ReadScene(Write("cube.obj", ToBytes(CubeObj())), scene);
    ASSERT_TRUE(cube) << cube.reason;
    EXPECT_EQ(scene.numFaces, 12);
}

}  // namespace
