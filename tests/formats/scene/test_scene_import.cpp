#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

#include "formats/model_writer.h"
#include "formats/scene/scene_import.h"
#include "mesh/model_test_support.h"
#include "support/temp_dir.h"
#include "formats/scene/scene_files.h"

namespace {

using Point = std::array<float, 3>;

Point At(const ZeroedArray<float>& array, std::size_t vertex) {
    return {array[3 * vertex], array[3 * vertex + 1], array[3 * vertex + 2]};
}

// Each triangle as the sorted set of its corners: independent of the order
// the library hands out vertices and faces in.
std::multiset<std::set<Point>> Triangles(const Mesh& mesh) {
    std::multiset<std::set<Point>> triangles;
    for (std::size_t f = 0; f < static_cast<std::size_t>(mesh.numFaces); ++f)
        triangles.insert({At(mesh.verts, mesh.faces[3 * f]), At(mesh.verts, mesh.faces[3 * f + 1]),
                          At(mesh.verts, mesh.faces[3 * f + 2])});
    return triangles;
}

class SceneImport : public testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(WriteFile(path, bytes.data(), bytes.size()));
        return path;
    }
    TempDir dir_;
};

TEST_F(SceneImport, ObjQuadsBecomeTrianglesWithTheirOwnUVsNormalsAndTexture) {
    Write("cube.mtl", ToBytes("newmtl skin\nmap_Kd skin.BMP\n"));
    const std::string path = Write("cube.obj", ToBytes(CubeObj("cube.mtl")));
    Mesh mesh;
    const LoadResult result = ReadScene(path, mesh);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(mesh.numFaces, 12);
    EXPECT_EQ(mesh.numVerts, 24u);  // 4 corners for each side: each has its own normal
    EXPECT_EQ(mesh.numTextures, 1u);
    EXPECT_EQ(mesh.texturePath, dir_.File("skin.BMP"));
    for (std::uint32_t v = 0; v < mesh.numVerts; ++v) {
        const Point n = At(mesh.normals, v);
        EXPECT_FLOAT_EQ(std::abs(n[0]) + std::abs(n[1]) + std::abs(n[2]), 1.0f) << "vertex " << v;
        EXPECT_TRUE(mesh.uvs[2 * v] == 0.0f || mesh.uvs[2 * v] == 1.0f);
    }
    // Every side keeps all four texture corners.
    std::set<std::pair<float, float>> corners;
    for (std::uint32_t v = 0; v < mesh.numVerts; ++v) corners.insert({mesh.uvs[2 * v], mesh.uvs[2 * v + 1]});
    EXPECT_EQ(corners.size(), 4u);

    // PNG and JPEG textures are the model's own too; a texture of another format is not.
    for (const char* name : {"skin.png", "skin.JPG", "skin.jpeg"}) {
        Write("cube.mtl", ToBytes(std::string("newmtl skin\nmap_Kd ") + name + "\n"));
        Mesh textured;
        ASSERT_TRUE(ReadScene(path, textured)) << name;
        EXPECT_EQ(textured.numTextures, 1u) << name;
        EXPECT_EQ(textured.texturePath, dir_.File(name));
    }
    Write("cube.mtl", ToBytes("newmtl skin\nmap_Kd skin.gif\n"));
    Mesh untextured;
    ASSERT_TRUE(ReadScene(path, untextured));
    EXPECT_EQ(untextured.numTextures, 0u);
    EXPECT_EQ(untextured.texturePath, "");
}

TEST_F(SceneImport, GltfNodeTransformsApplyAndExternalBuffersAreRead) {
    const std::set<Point> first{{{10, 0, 0}, {11, 0, 0}, {10, 1, 0}}};
    const std::set<Point> second{{{0, 0, 10}, {2, 0, 10}, {0, 2, 10}}};
    const std::multiset<std::set<Point>> expected{first, second};

    Write("tri.bin", TriangleBuffer());
    const std::string gltf = TwoNodeGltfJson("tri.bin");
    Mesh fromGltf;
    const LoadResult result = ReadScene(Write("nodes.gltf", ToBytes(gltf)), fromGltf);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(Triangles(fromGltf), expected);
    for (std::uint32_t v = 0; v < fromGltf.numVerts; ++v)  // generated: the file has none
        EXPECT_EQ(std::abs(At(fromGltf.normals, v)[2]), 1.0f);

    Mesh fromGlb;
    ASSERT_TRUE(ReadScene(Write("nodes.glb", Glb(TwoNodeGltfJson(""), TriangleBuffer())), fromGlb));
    EXPECT_EQ(Triangles(fromGlb), expected);

    // From memory nothing but the given bytes is read: the buffer file is out of reach.
    Mesh fromMemory;
    EXPECT_FALSE(ParseScene(ToBytes(gltf), ModelFormat::GLTF, fromMemory));
    EXPECT_EQ(fromMemory.numVerts, 0u);
}

// Each mesh's faces index its own vertices: in the one mesh they are shifted
// past the vertices of the meshes before them.
TEST_F(SceneImport, MeshesOfTwoMaterialsKeepTheirOwnTriangles) {
    Write("two.mtl", ToBytes(TwoMaterialMtl()));
    Mesh mesh;
    const LoadResult result = ReadScene(Write("two.obj", ToBytes(TwoMaterialObj("two.mtl"))), mesh);
    ASSERT_TRUE(result) << result.reason;
    const std::multiset<std::set<Point>> expected{
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
        {{1, 0, 0}, {1, 1, 0}, {0, 1, 0}},
        {{5, 5, 5}, {7, 5, 5}, {5, 7, 5}},
        {{7, 5, 5}, {7, 7, 5}, {5, 7, 5}},
    };
    EXPECT_EQ(Triangles(mesh), expected);
    EXPECT_EQ(mesh.numVerts, 8u);  // the groups share no corner: none is joined across them
}

// A binary STL gives each triangle its own corners and a normal that is
// often wrong: normals are made from the corners' order, and corners at one
// position are joined where their triangles meet at a gentle angle, so
// that the sides of a cube stay flat (4 vertices a side) and a curved
// surface shades smooth.
TEST_F(SceneImport, StlNormalsComeFromTheCornersAndOnlySharpEdgesSplitVertices) {
    for (const bool zeroNormals : {false, true}) {
        SCOPED_TRACE(zeroNormals ? "zero normals in the file" : "the file's normals");
        Mesh mesh;
        const LoadResult result = ReadScene(Write("cube.stl", CubeStl(zeroNormals)), mesh);
        ASSERT_TRUE(result) << result.reason;
        EXPECT_EQ(mesh.numFaces, 12);
        EXPECT_EQ(mesh.numVerts, 24u);
        std::set<Point> positions;
        for (std::uint32_t v = 0; v < mesh.numVerts; ++v) {
            const Point p = At(mesh.verts, v), n = At(mesh.normals, v);
            positions.insert(p);
            // One component is +-1, toward the side the vertex lies on.
            int axes = 0;
            for (int k = 0; k < 3; ++k)
                if (n[k] != 0.0f) {
                    ++axes;
                    EXPECT_EQ(n[k], p[k] == 1.0f ? 1.0f : -1.0f) << "vertex " << v;
                }
            EXPECT_EQ(axes, 1) << "vertex " << v;
        }
        EXPECT_EQ(positions.size(), 8u);
    }
    // Two triangles folded along the x axis by 20 degrees share their edge's
    // two vertices, with the normal halfway; folded by 90 degrees they don't.
    const auto fold = [&](float degrees) {
        const float radians = degrees * 3.14159265f / 180.0f;
        const float y = std::cos(radians), z = std::sin(radians);
        Mesh mesh;
        const LoadResult result =
            ReadScene(Write("fold.stl", StlOf({{0, 0, 0, 1, 0, 0, 0, -1, 0}, {1, 0, 0, 0, 0, 0, 0, y, z}})), mesh);
        EXPECT_TRUE(result) << result.reason;
        return mesh;
    };
    const Mesh gentle = fold(20.0f);
    EXPECT_EQ(gentle.numVerts, 4u);
    for (std::uint32_t v = 0; v < gentle.numVerts; ++v)
        if (At(gentle.verts, v)[1] == 0.0f) {  // on the fold
            const Point n = At(gentle.normals, v);
            EXPECT_NEAR(n[1], std::sin(10.0f * 3.14159265f / 180.0f), 1e-5f) << "vertex " << v;
            EXPECT_NEAR(n[2], -std::cos(10.0f * 3.14159265f / 180.0f), 1e-5f) << "vertex " << v;
        }
    EXPECT_EQ(fold(90.0f).numVerts, 6u);
}

// A file without normals gets smooth ones: at each position the triangles
// around it are averaged, and the corners there become one vertex.
TEST_F(SceneImport, MissingNormalsAreSmoothAndCornersAtOnePositionJoin) {
    Mesh mesh;
    const LoadResult result = ReadScene(Write("octahedron.obj", ToBytes(OctahedronObj())), mesh);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(mesh.numFaces, 8);
    EXPECT_EQ(mesh.numVerts, 6u);
    for (std::uint32_t v = 0; v < mesh.numVerts; ++v) {
        const Point p = At(mesh.verts, v), n = At(mesh.normals, v);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(n[k], p[k], 1e-6f) << "vertex " << v;  // the corner's direction
    }
}

// A single mesh moved by its one node is moved (the library's step that
// applies transforms is needed even for one mesh).
TEST_F(SceneImport, OneMeshUnderAMovedNodeIsMoved) {
    std::string json = TwoNodeGltfJson("");
    const std::string nodes = R"("nodes":[{"mesh":0,"translation":[10,0,0]},{"scale":[2,2,2],"children":[2]},)"
                              R"({"mesh":0,"translation":[0,0,5]}],)";
    json.replace(json.find(nodes), nodes.size(), R"("nodes":[{"children":[1]},{"mesh":0,"translation":[0,3,0]}],)");
    json.replace(json.find(R"("nodes":[0,1])"), 13, R"("nodes":[0])");
    Mesh mesh;
    const LoadResult result = ReadScene(Write("moved.glb", Glb(json, TriangleBuffer())), mesh);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(Triangles(mesh), (std::multiset<std::set<Point>>{{{0, 3, 0}, {1, 3, 0}, {0, 4, 0}}}));
}

// Lines and points are left out, and so are the vertices only they use.
TEST_F(SceneImport, LinesAndPointsAndTheirVerticesAreLeftOut) {
    Mesh mesh;
    const std::string obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 5 5\nv 6 6 6\nf 1 2 3\nl 4 5\np 5\n";
    const LoadResult result = ReadScene(Write("mixed.obj", ToBytes(obj)), mesh);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(mesh.numFaces, 1);
    EXPECT_EQ(mesh.numVerts, 3u);
    EXPECT_EQ(Triangles(mesh), (std::multiset<std::set<Point>>{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}));
}

// What makes a model look as its author made it comes through the import
// process: each material's part of the faces with its colour, vertex
// colours, and an image the file holds, byte for byte. A file without
// materials of its own has none.
TEST_F(SceneImport, PartsMaterialsColoursAndHeldImagesComeThrough) {
    Write("two.mtl", ToBytes(TwoMaterialMtl()));
    Mesh obj;
    ASSERT_TRUE(ReadScene(Write("two.obj", ToBytes(TwoMaterialObj("two.mtl"))), obj));
    ASSERT_EQ(obj.parts.size(), 2u);
    ASSERT_EQ(obj.materials.size(), 2u);
    for (const MeshPart& part : obj.parts) {
        SCOPED_TRACE(part.material);
        EXPECT_EQ(part.faceCount, 2u);
        // The red group is the one near the origin, the blue one the far square.
        const std::array<float, 4> colour = obj.materials[part.material].baseColor;
        const float corner = obj.verts[3 * obj.faces[3 * part.firstFace]];
        if (corner < 2.0f)
            EXPECT_EQ(colour, (std::array<float, 4>{1, 0, 0, 1}));
        else
            EXPECT_EQ(colour, (std::array<float, 4>{0, 0, 1, 1}));
    }
    EXPECT_EQ(obj.parts[0].firstFace + obj.parts[0].faceCount, obj.parts[1].firstFace);
    EXPECT_TRUE(obj.colors.empty());

    const std::string ply =
        "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
        "property uchar red\nproperty uchar green\nproperty uchar blue\nelement face 1\n"
        "property list uchar int vertex_indices\nend_header\n0 0 0 255 0 0\n1 0 0 0 255 0\n0 1 0 0 0 51\n3 0 1 2\n";
    Mesh coloured;
    ASSERT_TRUE(ReadScene(Write("coloured.ply", ToBytes(ply)), coloured));
    ASSERT_EQ(coloured.colors.size(), 12u);
    std::multiset<std::array<float, 4>> colours;
    for (std::size_t v = 0; v < 3; ++v) {
        std::array<float, 4> c{};
        for (std::size_t k = 0; k < 4; ++k) c[k] = std::round(coloured.colors[4 * v + k] * 100.0f) / 100.0f;
        colours.insert(c);
    }
    EXPECT_EQ(colours, (std::multiset<std::array<float, 4>>{{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 0.2f, 1}}));
    EXPECT_TRUE(coloured.materials.empty());
    EXPECT_TRUE(coloured.HasOwnLook());

    // A GLB whose material's base-colour texture is an image in its buffer.
    const std::string image = "\x89PNG\r\n\x1a\nnot decoded here";
    Bytes buffer = TriangleBuffer();
    buffer.insert(buffer.end(), image.begin(), image.end());
    while (buffer.size() % 4 != 0) buffer.push_back(0);
    const std::string json =
        R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
        R"("meshes":[{"primitives":[{"attributes":{"POSITION":0},"material":0}]}],)"
        R"("materials":[{"pbrMetallicRoughness":{"baseColorFactor":[1,0.5,0.25,1],"baseColorTexture":{"index":0}}}],)"
        R"("textures":[{"source":0}],"images":[{"bufferView":1,"mimeType":"image/png"}],)"
        R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]}],)"
        R"("bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":)" +
        std::to_string(image.size()) + R"(}],"buffers":[{"byteLength":)" + std::to_string(buffer.size()) + "}]}";
    Mesh held;
    const LoadResult glb = ReadScene(Write("held.glb", Glb(json, buffer)), held);
    ASSERT_TRUE(glb) << glb.reason;
    ASSERT_EQ(held.materials.size(), 1u);
    EXPECT_EQ(held.materials[0].baseColor, (std::array<float, 4>{1, 0.5f, 0.25f, 1}));
    ASSERT_EQ(held.materials[0].embeddedImage, 0);
    ASSERT_EQ(held.images.size(), 1u);
    EXPECT_EQ(std::string(held.images[0].begin(), held.images[0].end()), image);

    Mesh plain;
    ASSERT_TRUE(ReadScene(Write("plain.stl", OneTriangleStl()), plain));
    EXPECT_TRUE(plain.parts.empty());
    EXPECT_TRUE(plain.materials.empty());
    EXPECT_FALSE(plain.HasOwnLook());
}

TEST_F(SceneImport, CancelledLoadLeavesTheMeshAlone) {
    const std::string path = Write("cube.obj", ToBytes(CubeObj()));
    Mesh mesh;
    const LoadResult result = ReadScene(path, mesh, [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(mesh.numVerts, 0u);
}

class TruncatedScene : public SceneImport, public testing::WithParamInterface<std::string> {
protected:
    // A valid file of the format the extension names: written by hand, or
    // (PLY, STL) the OBJ cube through the exporters.
    Bytes ValidFile(const std::string& name) {
        if (name.ends_with(".obj")) return ToBytes(CubeObj());
        if (name.ends_with(".gltf")) return ToBytes(TwoNodeGltfJson("tri.bin"));
        if (name.ends_with(".glb")) return Glb(TwoNodeGltfJson(""), TriangleBuffer());
        if (name.ends_with(".dae")) return ToBytes(kCollada);
        if (name.ends_with(".fbx")) return ToBytes(kFbx);
        Mesh cube;
        EXPECT_TRUE(ReadScene(Write("cube.obj", ToBytes(CubeObj())), cube));
        const std::string path = dir_.File("exported-" + name);
        const WriteResult written = WriteModel(cube, path, ModelFormatForPath(path));
        EXPECT_TRUE(written) << written.reason;
        return ReadAll(path);
    }
    static Bytes ReadAll(const std::string& path) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        Bytes bytes;
        if (!file) return bytes;
        for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
        std::fclose(file);
        return bytes;
    }

    static constexpr const char* kCollada = R"(<?xml version="1.0"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<library_geometries><geometry id="g"><mesh>
<source id="p"><float_array id="pa" count="9">0 0 0 1 0 0 0 1 0</float_array>
<technique_common><accessor source="#pa" count="3" stride="3"><param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
<vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
<triangles count="1"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1 2</p></triangles>
</mesh></geometry></library_geometries>
<library_visual_scenes><visual_scene id="s"><node id="n"><instance_geometry url="#g"/></node></visual_scene></library_visual_scenes>
<scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)";
    static constexpr const char* kFbx = R"(; FBX 7.3.0 project file
FBXHeaderExtension:  {
	FBXHeaderVersion: 1003
	FBXVersion: 7300
}
Objects:  {
	Geometry: 1, "Geometry::tri", "Mesh" {
		Vertices: *9 {
			a: 0,0,0,1,0,0,0,1,0
		}
		PolygonVertexIndex: *3 {
			a: 0,1,-3
		}
		GeometryVersion: 124
	}
	Model: 2, "Model::tri", "Mesh" {
		Version: 232
	}
}
Connections:  {
	C: "OO",1,2
	C: "OO",2,0
}
)";
};

TEST_P(TruncatedScene, WholeFileLoadsAndHalfOfItIsRefusedWithAReason) {
    const std::string name = GetParam();
    Write("tri.bin", TriangleBuffer());
    const Bytes whole = ValidFile(name);
    ASSERT_FALSE(whole.empty());
    Mesh mesh;
    const LoadResult complete = ReadScene(Write(name, whole), mesh);
    ASSERT_TRUE(complete) << complete.reason;
    EXPECT_GT(mesh.numFaces, 0);

    const Bytes half(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    Mesh cut;
    const LoadResult result = ReadScene(Write(name, half), cut);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(cut.numVerts, 0u);
    EXPECT_EQ(cut.numFaces, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryInputFormat, TruncatedScene,
                         testing::Values("cube.obj", "cube.ply", "cube.stl", "nodes.gltf", "nodes.glb", "tri.fbx",
                                         "tri.dae"),
                         [](const auto& param) {
                             std::string name = param.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

// A binary STL is exactly its header and the triangles it declares: bytes
// after the last triangle are refused, and the reason gives both sizes.
TEST_F(SceneImport, BinaryStlWithBytesAfterItsLastTriangleIsRefused) {
    const Bytes stl = OneTriangleStl();
    Mesh mesh;
    const LoadResult whole = ReadScene(Write("one.stl", stl), mesh);
    ASSERT_TRUE(whole) << whole.reason;
    EXPECT_EQ(mesh.numFaces, 1);

    for (const std::size_t extra : {1, 49, 50, 100}) {
        Bytes longer = stl;
        longer.resize(stl.size() + extra, 0);
        Mesh refused;
        const LoadResult result = ReadScene(Write("longer.stl", longer), refused);
        EXPECT_FALSE(result.ok) << extra;
        EXPECT_NE(result.reason.find("134 bytes"), std::string::npos) << result.reason;
        EXPECT_NE(result.reason.find("has " + std::to_string(134 + extra)), std::string::npos) << result.reason;
        EXPECT_EQ(refused.numVerts, 0u);
    }
}

struct WrongSignature {
    const char* name;
    std::string content;
    const char* reason;  // part of the refusal, which is ours: the library never saw the file
};

TEST_F(SceneImport, ContentThatDoesNotFitItsExtensionIsRefusedBeforeTheLibrary) {
    const std::string binary("\x01\x02\0\x03", 4);
    const std::vector<WrongSignature> cases{
        {"a.glb", CubeObj(), "no \"glTF\" magic"},
        {"a.gltf", std::string(reinterpret_cast<const char*>(Glb("{}", {}).data()), 20), "not a JSON object"},
        {"a.ply", "solid cube\nendsolid\n", "no \"ply\" line"},
        {"a.stl", std::string(100, 'x'), "binary STL header declares"},
        {"a.dae", "{\"asset\":{}}", "not an XML document"},
        {"a.dae", "<?xml version=\"1.0\"?><library/>", "no COLLADA element"},
        {"a.obj", "v 0 0 0" + binary, "NUL byte"},
        {"a.fbx", "PK" + binary, "not an FBX file"},
        {"a.OBJ", "", "empty"},
    };
    for (const WrongSignature& c : cases) {
        Mesh mesh;
        const LoadResult result = ReadScene(Write(c.name, ToBytes(c.content)), mesh);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_NE(result.reason.find(c.reason), std::string::npos) << c.name << ": " << result.reason;
    }
    Mesh mesh;
    EXPECT_NE(ReadScene(Write("a.3ds", ToBytes(CubeObj())), mesh).reason.find("not an extension"), std::string::npos);
}

}  // namespace
