// ParseXML on arbitrary documents, with a texture hook that loads nothing.
// An accepted model has arrays of its counts and face indices inside the
// vertex arrays. Small documents are parsed a second time in small pieces:
// the push parser must give the same model wherever the text is split.
#include <algorithm>
#include <string_view>

#include "fuzz_checks.h"
#include "model/xml_loader.h"

namespace {

constexpr std::size_t kSplitCheckLimit = 16 * 1024;

void CheckModel(const Mesh& mesh) {
    const std::size_t n = mesh.numVerts;
    Require(mesh.numFaces >= 0, "face count is not negative");
    const auto f = static_cast<std::size_t>(mesh.numFaces);
    // Counts without arrays happen only when the count was never read.
    Require(mesh.verts.size() == 3 * n && mesh.normals.size() == 3 * n && mesh.uvs.size() == 2 * n,
            "vertex arrays match numVerts");
    Require(mesh.faces.size() == 3 * f, "face array matches numFaces");
    Require(std::all_of(mesh.faces.begin(), mesh.faces.end(), [n](std::uint32_t i) { return i < n; }),
            "every face index is below the vertex count");
}

template <class Array>
bool SameBytes(const Array& a, const Array& b) {
    return a.size() == b.size() && std::equal(reinterpret_cast<const std::uint8_t*>(a.begin()),
                                              reinterpret_cast<const std::uint8_t*>(a.end()),
                                              reinterpret_cast<const std::uint8_t*>(b.begin()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view document(reinterpret_cast<const char*>(data), size);
    const TextureHook noTexture = [](Mesh&) {};

    Mesh whole;
    const LoadResult result = ParseXML(document, whole, noTexture);
    if (!result) Require(!result.reason.empty(), "a refused XML model says why");
    else CheckModel(whole);

    if (size > kSplitCheckLimit) return 0;
    Mesh pieces;
    const std::size_t chunk = 1 + size % 7;
    const LoadResult split = ParseXML(document, pieces, noTexture, chunk);
    Require(split.ok == result.ok, "splitting the text does not change acceptance");
    if (!result) return 0;
    Require(pieces.numVerts == whole.numVerts && pieces.numFaces == whole.numFaces &&
                pieces.numTextures == whole.numTextures && pieces.texturePath == whole.texturePath,
            "splitting the text does not change the counts");
    Require(SameBytes(pieces.verts, whole.verts) && SameBytes(pieces.normals, whole.normals) &&
                SameBytes(pieces.uvs, whole.uvs) && SameBytes(pieces.faces, whole.faces),
            "splitting the text does not change the arrays");
    return 0;
}
