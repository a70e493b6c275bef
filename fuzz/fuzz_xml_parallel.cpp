// ParseXMLParallel against ParseXML on arbitrary documents, with the lists
// cut into two to four pieces however small the document: the same result,
// the same reason, the same texture hook calls and the same mesh, every
// array entry the input can reach compared byte for byte.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.h"
#include "formats/xml/xml_reader.h"

namespace {

// Entries are written at indices below the number of elements the input
// holds, so below its size: beyond that both arrays are untouched zeroes
// (declared counts can make them huge), and only the last entry is compared.
template <class Array>
bool SameEntries(const Array& a, const Array& b, std::size_t inputBytes) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    const std::size_t n = std::min(a.size(), 4 * (inputBytes + 1));
    return std::memcmp(a.data(), b.data(), n * sizeof a[0]) == 0 &&
           std::memcmp(&a.end()[-1], &b.end()[-1], sizeof a[0]) == 0;
}

struct Load {
    Mesh mesh;
    LoadResult result;
    std::vector<std::string> hookCalls;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    Load whole;
    Load pieces;
    whole.result = ParseXML(document, whole.mesh, [&](Mesh& m) { whole.hookCalls.push_back(m.texturePath); });
    const unsigned count = 2 + static_cast<unsigned>(size % 3);
    pieces.result = ParseXMLParallel(
        document, pieces.mesh, [&](Mesh& m) { pieces.hookCalls.push_back(m.texturePath); }, count);

    Require(whole.result.ok == pieces.result.ok && whole.result.cancelled == pieces.result.cancelled,
            "pieces give the same acceptance");
    Require(whole.result.reason == pieces.result.reason, "pieces give the same reason");
    Require(whole.hookCalls == pieces.hookCalls, "pieces call the texture hook alike");
    const Mesh& a = whole.mesh;
    const Mesh& b = pieces.mesh;
    Require(a.numVerts == b.numVerts && a.numFaces == b.numFaces && a.numTextures == b.numTextures &&
                a.texturePath == b.texturePath,
            "pieces give the same counts and texture path");
    Require(SameEntries(a.verts, b.verts, size) && SameEntries(a.normals, b.normals, size) &&
                SameEntries(a.uvs, b.uvs, size) && SameEntries(a.faces, b.faces, size),
            "pieces give the same arrays");
    return 0;
}
