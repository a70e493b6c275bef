// ParseXML on arbitrary documents, with a texture hook that loads nothing.
// An accepted model has arrays of its counts and face indices inside the
// vertex arrays. Small documents are parsed a second time in small pieces:
// the push parser must give the same model wherever the text is split.
#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

#include "fuzz_checks.h"
#include "formats/xml/xml_reader.h"

namespace {

constexpr std::size_t kSplitCheckLimit = 16 * 1024;

// A few kilobytes of document can declare arrays of gigabytes, which stay
// untouched (zero) beyond the entries the document fills: the checks read
// only the part a document of fuzzing size can reach, and the last entry.
constexpr std::size_t kCheckedEntries = std::size_t{1} << 16;

template <class Array>
auto Reachable(const Array& array) {
    return array.span().first(std::min(array.size(), kCheckedEntries));
}

void CheckModel(const Mesh& mesh, std::size_t inputBytes) {
    const std::size_t n = mesh.numVerts;
    // Every given entry takes input bytes; beyond them only a bounded tail of declared ones stays.
    constexpr std::size_t kSlack = MeshContentHandler::kUnsuppliedSlack;
    Require(static_cast<std::size_t>(std::max(mesh.numFaces, 0)) <= inputBytes + kSlack && n <= inputBytes + 2 * kSlack,
            "kept arrays follow what the input gives, not what it declares");
    Require(mesh.numFaces >= 0, "face count is not negative");
    const auto f = static_cast<std::size_t>(mesh.numFaces);
    // Counts without arrays happen only when the count was never read.
    Require(mesh.verts.size() == 3 * n && mesh.normals.size() == 3 * n && mesh.uvs.size() == 2 * n,
            "vertex arrays match numVerts");
    Require(mesh.faces.size() == 3 * f, "face array matches numFaces");
    const auto inRange = [n](std::uint32_t i) { return i < n; };
    const auto faces = Reachable(mesh.faces);
    Require(std::all_of(faces.begin(), faces.end(), inRange) && (mesh.faces.empty() || inRange(mesh.faces.end()[-1])),
            "every face index is below the vertex count");
}

template <class Array>
bool SameEntries(const Array& a, const Array& b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    const auto x = std::as_bytes(Reachable(a));
    const auto y = std::as_bytes(Reachable(b));
    return std::equal(x.begin(), x.end(), y.begin()) &&
           std::memcmp(&a.end()[-1], &b.end()[-1], sizeof a.end()[-1]) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    const TextureHook noTexture = [](Mesh&) {};

    Mesh whole;
    const LoadResult result = ParseXML(document, whole, noTexture);
    if (!result)
        Require(!result.reason.empty(), "a refused XML model says why");
    else
        CheckModel(whole, size);

    // libxml2's push parser (2.9.14) takes the "-->" inside a "<!-->" opener
    // for the comment's end when it decides whether the comment has arrived,
    // and then refuses it as not terminated when it is cut: such a document
    // is accepted whole and refused in pieces. Not ours to mend.
    if (size > kSplitCheckLimit || document.find("<!-->") != std::string_view::npos) return 0;
    Mesh pieces;
    const std::size_t chunk = 1 + size % 7;
    const LoadResult split = ParseXML(document, pieces, noTexture, chunk);
    Require(split.ok == result.ok, "splitting the text does not change acceptance");
    if (!result) return 0;
    Require(pieces.numVerts == whole.numVerts && pieces.numFaces == whole.numFaces &&
                pieces.numTextures == whole.numTextures && pieces.texturePath == whole.texturePath,
            "splitting the text does not change the counts");
    Require(SameEntries(pieces.verts, whole.verts) && SameEntries(pieces.normals, whole.normals) &&
                SameEntries(pieces.uvs, whole.uvs) && SameEntries(pieces.faces, whole.faces),
            "splitting the text does not change the arrays");
    return 0;
}
