// ParseBIN on arbitrary bytes: a model is only accepted whole, with arrays of
// the declared counts and every face index inside the vertex arrays, and a
// refused model leaves the target untouched.
#include <algorithm>

#include "fuzz_checks.h"
#include "formats/bin/bin_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Mesh mesh;
    const LoadResult result = ParseBIN(InputBytes(data, size), mesh);
    if (!result) {
        Require(!result.reason.empty(), "a refused BIN model says why");
        Require(mesh.numVerts == 0 && mesh.numFaces == 0 && mesh.verts.empty() && mesh.faces.empty(),
                "a refused BIN model leaves the mesh as it was");
        return 0;
    }
    const std::size_t n = mesh.numVerts;
    Require(mesh.numFaces >= 0, "face count is not negative");
    const auto f = static_cast<std::size_t>(mesh.numFaces);
    Require(mesh.verts.size() == 3 * n && mesh.normals.size() == 3 * n && mesh.uvs.size() == 2 * n &&
                mesh.faces.size() == 3 * f,
            "BIN arrays match the counts");
    Require(BinFileBytes({mesh.numVerts, mesh.numFaces, mesh.numTextures}) <= size, "BIN model fits in the input");
    Require(std::all_of(mesh.faces.begin(), mesh.faces.end(), [n](std::uint32_t i) { return i < n; }),
            "every face index is below the vertex count");
    return 0;
}
