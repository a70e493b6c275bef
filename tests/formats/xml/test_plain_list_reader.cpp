#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "formats/xml/document_bytes.h"
#include "formats/xml/plain_list_reader.h"
#include "formats/xml/xml_parser.h"
#include "mesh/mesh.h"

namespace {

// A mesh with zeroed room for n vertices and f faces, as a document's counts leave it.
Mesh Room(std::uint32_t n, std::int32_t f) {
    Mesh mesh;
    mesh.numVerts = n;
    mesh.numFaces = f;
    EXPECT_TRUE(mesh.AllocVerts() && mesh.AllocNormals() && mesh.AllocUVs() && mesh.AllocFaces());
    return mesh;
}

struct Piece {
    PlainPieceRead read;
    std::vector<std::uint64_t> advanced;
};

Piece Read(std::string_view lists, Mesh& mesh, PlainPieceBounds bounds) {
    Piece piece;
    std::vector<char> scratch;
    piece.read = ReadPlainListPiece(
        MemoryBytes(lists), mesh, bounds,
        [&piece](std::uint64_t bytes) {
            piece.advanced.push_back(bytes);
            return true;
        },
        scratch);
    return piece;
}

// The content of a vertex list and a face list, from just after
// "<vertList>" to the face list's end tag.
std::string Lists(std::string_view vertices, std::string_view faces) {
    return "\n\t\t" + std::string(vertices) + "\n\t</vertList>\n\t<faceList>\n\t\t" + std::string(faces) +
           "\n\t</faceList>\n</mesh>\n";
}

PlainPieceBounds Whole(std::string_view lists) {
    PlainPieceBounds bounds;
    bounds.listsEnd = lists.find("</faceList>");
    bounds.stopFrom = bounds.listsEnd;
    return bounds;
}

// Wherever a piece is told to stop, it ends at the first entry's start tag
// from there on, or at the lists' end; a second piece from there, knowing
// the entries before it, reads the rest into the same arrays.
TEST(PlainListReader, APieceEndsAtTheFirstEntryFromItsStopAndTheNextGoesOn) {
    const std::string lists = Lists("<vertex><vertX>1.5</vertX><vertNZ>-2</vertNZ></vertex>\n\t\t"
                                    "<vertex>\r\n<vertV>0.25</vertV>\t</vertex>",
                                    "<face><faceA>1</faceA><faceC>0</faceC></face><face><faceB>1</faceB></face>");
    const std::uint64_t listsEnd = lists.find("</faceList>");
    const std::uint64_t listChange = lists.find("</vertList>");
    const std::vector<std::uint64_t> vertexStarts{lists.find("<vertex>"), lists.rfind("<vertex>")};
    const std::vector<std::uint64_t> faceStarts{lists.find("<face>"), lists.rfind("<face>")};
    std::vector<std::uint64_t> entries = vertexStarts;
    entries.insert(entries.end(), faceStarts.begin(), faceStarts.end());

    for (std::uint64_t stop = 0; stop <= listsEnd; ++stop) {
        SCOPED_TRACE(stop);
        std::uint64_t end = listsEnd;
        for (const std::uint64_t at : entries)
            if (at >= stop) {
                end = at;
                break;
            }
        Mesh mesh = Room(2, 2);
        PlainPieceBounds first = Whole(lists);
        first.stopFrom = stop;
        const Piece head = Read(lists, mesh, first);
        ASSERT_TRUE(head.read.accepted);
        EXPECT_EQ(head.read.end, end);
        EXPECT_FALSE(head.read.startsInFaces);
        EXPECT_EQ(head.read.endsInFaces, end > listChange);
        std::uint64_t advanced = 0;
        for (const std::uint64_t bytes : head.advanced) advanced += bytes;
        EXPECT_EQ(advanced, end);

        if (end < listsEnd) {
            PlainPieceBounds rest = Whole(lists);
            rest.begin = end;
            for (const std::uint64_t at : vertexStarts) rest.verticesBefore += at < end;
            for (const std::uint64_t at : faceStarts) rest.facesBefore += at < end;
            const Piece tail = Read(lists, mesh, rest);
            ASSERT_TRUE(tail.read.accepted);
            EXPECT_EQ(tail.read.end, listsEnd);
            EXPECT_EQ(tail.read.startsInFaces, end > listChange);
            EXPECT_TRUE(tail.read.endsInFaces);
        }
        EXPECT_EQ(mesh.verts[0], 1.5f);
        EXPECT_EQ(mesh.normals[2], -2.0f);
        EXPECT_EQ(mesh.uvs[3], 0.25f);
        const std::vector<std::uint32_t> faces(mesh.faces.begin(), mesh.faces.end());
        EXPECT_EQ(faces, (std::vector<std::uint32_t>{1, 0, 0, 0, 1, 0}));
    }
}

// The strict form is read; anything libxml2 would read differently, or
// that takes more than a plain copy of the text, is left to libxml2.
TEST(PlainListReader, ReadsTheStrictFormAndNothingElse) {
    struct Case {
        std::string vertices;
        bool accepted;
    };
    const std::vector<Case> cases{
        {"<vertex><vertX>-1.5e+3</vertX><vertY>inf</vertY><vertZ>nan</vertZ></vertex>", true},
        {"<vertex></vertex>", true},
        {"<vertex>\r\n\t <vertU>1</vertU>\r\n</vertex>", true},
        {"<vertex><vertX>" + std::string(kMaxPlainNumber, '1') + "</vertX></vertex>", true},
        {"<vertex>" + std::string(kMaxPlainSpace, ' ') + "</vertex>", true},
        {"<vertex><vertX>" + std::string(kMaxPlainNumber + 1, '1') + "</vertX></vertex>", false},
        {"<vertex>" + std::string(kMaxPlainSpace + 1, ' ') + "</vertex>", false},
        {"<vertex ><vertX>1</vertX></vertex>", false},
        {"<vertex><vertX >1</vertX></vertex>", false},
        {"<vertex><vertX>1</vertX ></vertex>", false},
        {"<vertex><vertX a=\"b\">1</vertX></vertex>", false},
        {"<vertex><vertX> 1</vertX></vertex>", false},
        {"<vertex><vertX>1 </vertX></vertex>", false},
        {"<vertex><vertX></vertX></vertex>", false},
        {"<vertex><vertX/></vertex>", false},
        {"<vertex/>", false},
        {"<vertex><vertX>&#49;</vertX></vertex>", false},
        {"<vertex><vertX>1</vertY></vertex>", false},
        {"<vertex><vertW>1</vertW></vertex>", false},
        {"<vertex><vertNW>1</vertNW></vertex>", false},
        {"<vertex><faceA>1</faceA></vertex>", false},
        {"<vertex><vertex></vertex></vertex>", false},
        {"<vertex><!-- 1 --></vertex>", false},
        {"<vertex>x</vertex>", false},
        {"<face><faceA>0</faceA></face>", false},
        {"<vertex></vertex><name/>", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vertices);
        const std::string lists = Lists(c.vertices, "<face><faceA>0</faceA></face>");
        Mesh mesh = Room(1, 1);
        EXPECT_EQ(Read(lists, mesh, Whole(lists)).read.accepted, c.accepted);
    }

    const std::string faces[] = {"<face><faceA>1</faceB></face>", "<face><faceD>1</faceD></face>",
                                 "<face><vertX>1</vertX></face>", "<face>1</face>", "<face><face></face></face>",
                                 "<vertex></vertex>"};
    for (const std::string& face : faces) {
        SCOPED_TRACE(face);
        const std::string lists = Lists("<vertex></vertex>", face);
        Mesh mesh = Room(1, 1);
        EXPECT_FALSE(Read(lists, mesh, Whole(lists)).read.accepted);
    }

    // A leaf given twice keeps the last number, as the handler applies each.
    const std::string twice = Lists("<vertex><vertY>1</vertY><vertY>+2.5E1</vertY></vertex>", "<face></face>");
    Mesh mesh = Room(1, 1);
    ASSERT_TRUE(Read(twice, mesh, Whole(twice)).read.accepted);
    EXPECT_EQ(mesh.verts[1], 25.0f);
}

// Lists longer than the stretch read at a time: entries and white space
// cut by a stretch's end are read again from their start.
TEST(PlainListReader, ReadsAcrossTheStretchesItReads) {
    constexpr std::uint32_t kVertices = 40000;
    std::string vertices;
    for (std::uint32_t i = 0; i < kVertices; ++i)
        vertices += "<vertex><vertX>" + std::to_string(i) + "</vertX></vertex>" + std::string(i % 7, ' ');
    const std::string lists = Lists(vertices, "<face><faceA>7</faceA></face>");
    ASSERT_GT(lists.size(), 4 * kXmlChunkBytes);
    Mesh mesh = Room(kVertices, 1);
    const Piece piece = Read(lists, mesh, Whole(lists));
    ASSERT_TRUE(piece.read.accepted);
    EXPECT_EQ(piece.read.verticesWritten, kVertices);
    std::uint64_t advanced = 0;
    for (const std::uint64_t bytes : piece.advanced) advanced += bytes;
    EXPECT_EQ(advanced, piece.read.end);
    EXPECT_GT(piece.advanced.size(), 4u);
    std::uint32_t wrong = 0;
    for (std::uint32_t i = 0; i < kVertices; ++i) wrong += mesh.verts[3 * i] != static_cast<float>(i);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(mesh.faces[0], 7u);
}

// What the content handler refuses ends the read too, and the read says how
// far it wrote, so that its writes can be undone.
TEST(PlainListReader, RefusesWhatTheHandlerRefusesAndSaysHowFarItWrote) {
    struct Case {
        std::string vertices;
        std::string faces;
        std::size_t verticesWritten;
        std::size_t faceEntriesWritten;
    };
    const std::string two = "<vertex><vertX>1</vertX></vertex><vertex><vertZ>2</vertZ></vertex>";
    const std::vector<Case> cases{
        // A third vertex, beyond the two declared.
        {two + "<vertex><vertX>3</vertX></vertex>", "", 2, 0},
        // A face index out of range, the first after two written entries.
        {two, "<face><faceA>1</faceA><faceB>0</faceB><faceC>-1</faceC></face>", 2, 2},
        {two, "<face><faceC>1</faceC></face><face><faceB>4294967296</faceB></face>", 2, 3},
        // A third face, beyond the two declared.
        {two, "<face></face><face><faceB>1</faceB></face><face><faceA>1</faceA></face>", 2, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vertices + c.faces);
        const std::string lists = Lists(c.vertices, c.faces);
        Mesh mesh = Room(2, 2);
        const PlainPieceRead read = Read(lists, mesh, Whole(lists)).read;
        EXPECT_FALSE(read.accepted);
        EXPECT_EQ(read.verticesWritten, c.verticesWritten);
        EXPECT_EQ(read.faceEntriesWritten, c.faceEntriesWritten);
    }

    // The face list after faces counted before it: they were entries of the
    // vertex list, which the strict form has none of.
    const std::string lists = Lists(two, "<face></face>");
    Mesh mesh = Room(2, 2);
    PlainPieceBounds bounds = Whole(lists);
    bounds.facesBefore = 1;
    EXPECT_FALSE(Read(lists, mesh, bounds).read.accepted);
}

}  // namespace
