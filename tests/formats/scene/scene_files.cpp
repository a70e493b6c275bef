#include "formats/scene/scene_files.h"

#include <array>
#include <cstring>

namespace {

void Put32(Bytes& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::string CubeObj(const std::string& materialLibrary) {
    std::string obj = materialLibrary.empty() ? "" : "mtllib " + materialLibrary + "\nusemtl skin\n";
    obj +=
        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
        "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
        "vn 0 0 -1\nvn 0 0 1\nvn 0 -1 0\nvn 0 1 0\nvn -1 0 0\nvn 1 0 0\n"
        "f 1/1/1 4/4/1 3/3/1 2/2/1\nf 5/1/2 6/2/2 7/3/2 8/4/2\nf 1/1/3 2/2/3 6/3/3 5/4/3\n"
        "f 4/1/4 8/4/4 7/3/4 3/2/4\nf 1/1/5 5/2/5 8/3/5 4/4/5\nf 2/1/6 3/2/6 7/3/6 6/4/6\n";
    return obj;
}

std::string TwoMaterialObj(const std::string& materialLibrary) {
    // The blue corners come first in the file: the faces of each group reach across the list.
    return "mtllib " + materialLibrary +
           "\nv 5 5 5\nv 7 5 5\nv 5 7 5\nv 7 7 5\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
           "usemtl red\nf 5 6 7\nf 6 8 7\n"
           "usemtl blue\nf 1 2 3\nf 2 4 3\n";
}

std::string TwoMaterialMtl() { return "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\n"; }

std::string TwoNodeGltfJson(const std::string& bufferUri) {
    const std::string uri = bufferUri.empty() ? "" : R"("uri":")" + bufferUri + R"(",)";
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1]}],)"
           R"("nodes":[{"mesh":0,"translation":[10,0,0]},{"scale":[2,2,2],"children":[2]},)"
           R"({"mesh":0,"translation":[0,0,5]}],)"
           R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],)"
           R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3",)"
           R"("min":[0,0,0],"max":[1,1,0]}],)"
           R"("bufferViews":[{"buffer":0,"byteLength":36}],)"
           R"("buffers":[{)" +
           uri + R"("byteLength":36}]})";
}

Bytes TriangleBuffer() {
    const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    Bytes bytes(sizeof positions);
    std::memcpy(bytes.data(), positions, sizeof positions);
    return bytes;
}

Bytes OneTriangleStl() {
    Bytes stl(80, ' ');  // a header that does not start with "solid"
    Put32(stl, 1);
    const float record[12] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0};  // normal, three corners
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(record);
    stl.insert(stl.end(), bytes, bytes + sizeof record);
    stl.push_back(0), stl.push_back(0);  // attribute byte count
    return stl;
}

Bytes CubeStl(bool zeroNormals) {
    Bytes stl(80, ' ');
    Put32(stl, 12);
    const auto put = [&stl](const std::array<float, 3>& v) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(v.data());
        stl.insert(stl.end(), bytes, bytes + sizeof v);
    };
    for (int axis = 0; axis < 3; ++axis)
        for (const float side : {0.0f, 1.0f}) {
            // The side's corners around its normal, counter-clockwise from outside.
            const int u = (axis + 1) % 3, w = (axis + 2) % 3;
            std::array<std::array<float, 3>, 4> quad{};
            const float du[4] = {0, 1, 1, 0}, dw[4] = {0, 0, 1, 1};
            for (int i = 0; i < 4; ++i) {
                quad[i][axis] = side;
                quad[i][u] = du[i];
                quad[i][w] = dw[i];
            }
            if (side == 0.0f) std::swap(quad[1], quad[3]);  // the other winding faces the other way
            for (int half = 0; half < 2; ++half) {
                std::array<float, 3> normal{};
                if (!zeroNormals) normal[axis] = side == 0.0f ? -1.0f : 1.0f;
                put(normal);
                put(quad[0]);
                put(quad[half == 0 ? 1 : 2]);
                put(quad[half == 0 ? 2 : 3]);
                stl.push_back(0), stl.push_back(0);
            }
        }
    return stl;
}

Bytes StlOf(const std::vector<std::array<float, 9>>& triangles) {
    Bytes stl(80, ' ');
    Put32(stl, static_cast<std::uint32_t>(triangles.size()));
    for (const std::array<float, 9>& corners : triangles) {
        const float record[12] = {0,          0,          0,          corners[0], corners[1], corners[2],
                                  corners[3], corners[4], corners[5], corners[6], corners[7], corners[8]};
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(record);
        stl.insert(stl.end(), bytes, bytes + sizeof record);
        stl.push_back(0), stl.push_back(0);
    }
    return stl;
}

std::string OctahedronObj() {
    return "v 1 0 0\nv -1 0 0\nv 0 1 0\nv 0 -1 0\nv 0 0 1\nv 0 0 -1\n"
           "f 1 3 5\nf 3 2 5\nf 2 4 5\nf 4 1 5\nf 3 1 6\nf 2 3 6\nf 4 2 6\nf 1 4 6\n";
}

Bytes Glb(std::string json, const Bytes& binary) {
    while (json.size() % 4 != 0) json += ' ';
    Bytes glb = ToBytes("glTF");
    Put32(glb, 2);
    Put32(glb, static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + binary.size()));
    Put32(glb, static_cast<std::uint32_t>(json.size()));
    Put32(glb, 0x4E4F534A);  // "JSON"
    glb.insert(glb.end(), json.begin(), json.end());
    Put32(glb, static_cast<std::uint32_t>(binary.size()));
    Put32(glb, 0x004E4942);  // "BIN\0"
    glb.insert(glb.end(), binary.begin(), binary.end());
    return glb;
}
