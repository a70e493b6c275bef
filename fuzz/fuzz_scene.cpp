// ParseScene on arbitrary bytes, once for every format whose signature check
// lets the bytes through (text reaches the OBJ and FBX readers, '{' the glTF
// reader, and so on): a model is only accepted whole, with at least one
// triangle, arrays of its counts and every face index inside the vertex
// arrays; a refused model says why and leaves the target untouched.
#include <algorithm>
#include <array>

#include "fuzz_checks.h"
#include "model/scene_import.h"

namespace {

constexpr std::array kFormats{SceneFormat::Obj,  SceneFormat::Ply, SceneFormat::Stl,    SceneFormat::Gltf,
                              SceneFormat::Glb,  SceneFormat::Fbx, SceneFormat::Collada};

void CheckModel(const Mesh& mesh) {
    const std::size_t n = mesh.numVerts;
    Require(mesh.numFaces > 0, "an accepted scene has a triangle");
    const auto f = static_cast<std::size_t>(mesh.numFaces);
    Require(mesh.verts.size() == 3 * n && mesh.normals.size() == 3 * n && mesh.uvs.size() == 2 * n &&
                mesh.faces.size() == 3 * f,
            "scene arrays match the counts");
    Require(std::all_of(mesh.faces.begin(), mesh.faces.end(), [n](std::uint32_t i) { return i < n; }),
            "every face index is below the vertex count");
    Require((mesh.numTextures == 0) == mesh.texturePath.empty(), "an own texture comes with its path");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto bytes = InputBytes(data, size);
    const auto head = bytes.first(std::min(size, kSceneHeadBytes));
    for (const SceneFormat format : kFormats) {
        if (!CheckSceneSignature(format, head, size).empty()) continue;
        Mesh mesh;
        const LoadResult result = ParseScene(bytes, format, mesh);
        if (result) {
            CheckModel(mesh);
            continue;
        }
        Require(!result.reason.empty(), "a refused scene says why");
        Require(mesh.numVerts == 0 && mesh.numFaces == 0 && mesh.verts.empty() && mesh.faces.empty(),
                "a refused scene leaves the mesh as it was");
    }
    return 0;
}
