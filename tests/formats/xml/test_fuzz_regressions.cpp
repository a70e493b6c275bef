// Inputs the fuzz targets found faults with (fuzz/), kept as regression tests.
#include <gtest/gtest.h>
#include <libxml/xmlmemory.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "formats/xml/xml_reader.h"
#include "support/memory_limit.h"

namespace {

// libxml2 blocks alive: counted through libxml2's allocator hooks, so that
// a leak shows in any build, not only under LeakSanitizer.
long liveBlocks = 0;

void* CountedMalloc(std::size_t size) {
    void* p = std::malloc(size);
    if (p) ++liveBlocks;
    return p;
}
void* CountedRealloc(void* old, std::size_t size) {
    void* p = std::realloc(old, size);
    if (p && !old) ++liveBlocks;
    return p;
}
void CountedFree(void* p) {
    if (p) --liveBlocks;
    std::free(p);
}
char* CountedStrdup(const char* text) {
    const std::size_t bytes = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(CountedMalloc(bytes));
    if (copy) std::memcpy(copy, text, bytes);
    return copy;
}

// Blocks a parse of document leaves behind.
long BlocksLeftBy(std::string_view document) {
    xmlFreeFunc oldFree;
    xmlMallocFunc oldMalloc;
    xmlReallocFunc oldRealloc;
    xmlStrdupFunc oldStrdup;
    xmlMemGet(&oldFree, &oldMalloc, &oldRealloc, &oldStrdup);
    xmlMemSetup(CountedFree, CountedMalloc, CountedRealloc, CountedStrdup);
    const long before = liveBlocks;
    {
        Mesh mesh;
        ParseXML(document, mesh);
    }
    const long left = liveBlocks - before;
    xmlMemSetup(oldFree, oldMalloc, oldRealloc, oldStrdup);
    return left;
}

}  // namespace

// An internal DTD subset with an entity declaration makes libxml2 build a
// document of its own even for SAX parsing; the parser must free it.
TEST(FuzzRegressions, EntityDeclarationLeavesNoParserMemoryBehind) {
    const std::string_view withEntity =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE mesh [ <!ENTITY n \"3\"> <!ELEMENT mesh ANY> ]>\n"
        "<mesh><numVerts>&n;</numVerts><numFaces>0</numFaces></mesh>\n";
    Mesh mesh;
    EXPECT_FALSE(ParseXML(withEntity, mesh)) << "declared entities are never expanded";
    EXPECT_EQ(BlocksLeftBy("<mesh><numVerts>1</numVerts></mesh>"), 0) << "the counting itself balances";
    EXPECT_EQ(BlocksLeftBy(withEntity), 0);
}

namespace {

std::string Utf16LE(std::string_view ascii) {
    std::string out;
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

}  // namespace

// When text cannot be decoded, libxml2 halts without clearing its
// well-formedness flag: the model read so far must not pass as complete.
TEST(FuzzRegressions, UndecodableTextRefusesTheModel) {
    // Past the first piece fed to the parser: a lone UTF-16 surrogate.
    const std::string head = "<mesh><numVerts>3</numVerts><!--" + std::string(kXmlChunkBytes, 'x') + "-->";
    const std::string document = "\xFF\xFE" + Utf16LE(head) + std::string("\x00\xD8", 2) + Utf16LE("A") +
                                 Utf16LE("<numFaces>0</numFaces></mesh>");
    Mesh mesh;
    const LoadResult result = ParseXML(document, mesh);
    EXPECT_FALSE(result);
    EXPECT_NE(result.reason.find("encoding"), std::string::npos) << result.reason;

    // The fuzzer's input: a four-byte UCS-4 '<' then bytes that are no
    // characters, fed in small pieces.
    const std::string found("\0\0\0</texture>\0\0\0\0\n\x14", 19);
    for (std::size_t piece = 1; piece <= 8; ++piece) {
        Mesh small;
        EXPECT_FALSE(ParseXML(found, small, {}, piece)) << "pieces of " << piece;
    }

    // An encoding name only ICU knows: libxml2's ICU converters drop or
    // refuse a character split between two chunks, so such a document would
    // load or not depending on where the reads fell. It is always refused.
    const std::string_view icuOnly = "<?xml version=\"1.0\" encoding=\"ut-f8\"?>\n<mesh>\xED\x8D\x9Ctist>cm</mesh>\n";
    for (const std::size_t piece : {kXmlChunkBytes, std::size_t{1}, std::size_t{3}}) {
        Mesh icuMesh;
        const LoadResult refused = ParseXML(icuOnly, icuMesh, {}, piece);
        EXPECT_FALSE(refused) << "pieces of " << piece;
        EXPECT_NE(refused.reason.find("encoding"), std::string::npos) << refused.reason;
    }
}

// A few bytes declaring over a billion faces: the arrays are mapped but never
// touched, and the final index check must not scan them (the fuzzer timed out).
TEST(XmlFuzzRegressions, HugeDeclaredFaceCountIsCheckedOnlyWhereFacesWereGiven) {
    const ScopedMemoryLimit memory(32 * ScopedMemoryLimit::kGiB);  // refusals must not depend on the host
    Mesh refused;
    const LoadResult noVertices =
        ParseXML("<mesh><numFaces>+000000001585523942</numFaces><faceList></faceList></mesh>", refused);
    EXPECT_FALSE(noVertices.ok);
    EXPECT_NE(noVertices.reason.find("no vertices"), std::string::npos) << noVertices.reason;

    Mesh partial;
    const LoadResult ok = ParseXML(
        "<mesh><numVerts>3</numVerts><numFaces>400000000</numFaces><faceList>"
        "<face><faceA>2</faceA><faceB>1</faceB><faceC>0</faceC></face></faceList></mesh>",
        partial);
    ASSERT_TRUE(ok.ok) << ok.reason;
    EXPECT_EQ(partial.faces[0], 2u);
    EXPECT_EQ(partial.numFaces, 1);  // the faces never supplied are dropped

    Mesh bad;
    const LoadResult badIndex = ParseXML(
        "<mesh><numVerts>3</numVerts><numFaces>400000000</numFaces><faceList>"
        "<face><faceA>0</faceA><faceB>3</faceB><faceC>0</faceC></face></faceList></mesh>",
        bad);
    EXPECT_FALSE(badIndex.ok);
    EXPECT_NE(badIndex.reason.find("uses vertex 3"), std::string::npos) << badIndex.reason;
}
