// The default model, the example models and the big-model generator: file
// layout, counts, winding, normals, and XML and BIN holding the same mesh.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "bigmodel/lumpy_sphere.h"
#include "common/model_xml.h"
#include "formats/bin/bin_format.h"
#include "formats/xml/xml_reader.h"
#include "support/temp_dir.h"

namespace {

const std::string kAssets = std::string(TESSA_SOURCE_DIR) + "/Assets/";

struct V3 {
    double x, y, z;
};
V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 CrossV(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double DotV(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 At(const std::vector<float>& v, std::size_t i) { return {v[3 * i], v[3 * i + 1], v[3 * i + 2]}; }

// Problems with a triangle mesh, counted: indices out of range, normals off
// unit length, and triangles that are not counter-clockwise seen from the
// side their vertex normals point to.
struct MeshProblems {
    int badIndices = 0;
    int badNormals = 0;
    int wrongWinding = 0;
};

MeshProblems Inspect(const std::vector<float>& verts, const std::vector<float>& normals,
                     const std::vector<std::uint32_t>& faces) {
    MeshProblems p;
    const std::size_t n = verts.size() / 3;
    for (std::size_t i = 0; i < n; ++i) {
        const V3 nv = At(normals, i);
        if (std::fabs(std::sqrt(DotV(nv, nv)) - 1.0) > 2e-6) {
            ++p.badNormals;
        }
    }
    for (std::size_t t = 0; t + 2 < faces.size(); t += 3) {
        if (faces[t] >= n || faces[t + 1] >= n || faces[t + 2] >= n) {
            ++p.badIndices;
            continue;
        }
        const V3 a = At(verts, faces[t]), b = At(verts, faces[t + 1]), c = At(verts, faces[t + 2]);
        const V3 facing = CrossV(Sub(b, a), Sub(c, a));
        for (std::size_t k = 0; k < 3; ++k) {
            if (DotV(facing, At(normals, faces[t + k])) <= 0.0) {
                ++p.wrongWinding;
                break;
            }
        }
    }
    return p;
}

// Every edge between two triangles used once in each direction: the surface
// is closed and consistently wound.
bool ClosedAndConsistent(const std::vector<std::uint32_t>& faces) {
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
    for (std::size_t t = 0; t + 2 < faces.size(); t += 3) {
        for (std::size_t k = 0; k < 3; ++k) {
            ++edges[{faces[t + k], faces[t + (k + 1) % 3]}];
        }
    }
    for (const auto& [edge, count] : edges) {
        const auto reverse = edges.find({edge.second, edge.first});
        if (count != 1 || reverse == edges.end() || reverse->second != 1) {
            return false;
        }
    }
    return true;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A model file as the viewer's own XML reader takes it, in plain vectors,
// and its text for the layout.
struct ModelFile {
    std::string text;
    long long numVerts = -1;
    long long numFaces = -1;
    long long numTextures = -1;
    std::string texture;
    std::vector<float> verts, normals, uvs;
    std::vector<std::uint32_t> faces;
};

ModelFile Read(const std::string& path) {
    Mesh mesh;
    const LoadResult result = ReadXML(path, mesh);
    // Everything after depends on the model: stop the test here (gtest reports the exception).
    if (!result.ok) throw std::runtime_error(path + ": " + result.reason);
    return {Slurp(path),
            mesh.numVerts,
            mesh.numFaces,
            mesh.numTextures,
            mesh.texturePath,
            {mesh.verts.begin(), mesh.verts.end()},
            {mesh.normals.begin(), mesh.normals.end()},
            {mesh.uvs.begin(), mesh.uvs.end()},
            {mesh.faces.begin(), mesh.faces.end()}};
}

std::size_t Occurrences(const std::string& text, const std::string& word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

// The counts match the elements written, and the mesh's children come in the exporter's order.
void ExpectCountsMatchLists(const ModelFile& m) {
    EXPECT_EQ(static_cast<long long>(Occurrences(m.text, "<vertex>")), m.numVerts);
    EXPECT_EQ(static_cast<long long>(Occurrences(m.text, "<face>")), m.numFaces);
    std::size_t last = 0;
    for (const char* child : {"<name>", "<path>", "<numVerts>", "<numFaces>", "<numTextures>", "<textureList>",
                              "<vertList>", "<faceList>"}) {
        const std::size_t at = m.text.find(child);
        ASSERT_NE(at, std::string::npos) << child;
        EXPECT_GT(at, last) << child;
        last = at;
    }
}

TEST(DefaultModel, IsATexturedCubeOf24VerticesAnd12Triangles) {
    const ModelFile cube = Read(kAssets + "TexturedCube.xml");
    ExpectCountsMatchLists(cube);
    EXPECT_EQ(cube.numVerts, 24);
    EXPECT_EQ(cube.numFaces, 12);
    EXPECT_EQ(cube.numTextures, 1);
    // The viewer takes the text as it stands: no white space may surround it.
    EXPECT_EQ(cube.texture, "Assets/crate.bmp");
    EXPECT_TRUE(std::filesystem::exists(std::string(TESSA_SOURCE_DIR) + "/" + cube.texture));

    const MeshProblems p = Inspect(cube.verts, cube.normals, cube.faces);
    EXPECT_EQ(p.badIndices, 0);
    EXPECT_EQ(p.badNormals, 0);
    EXPECT_EQ(p.wrongWinding, 0);
    for (std::size_t i = 0; i < 24; ++i) {
        const V3 pos = At(cube.verts, i);
        const V3 normal = At(cube.normals, i);
        for (const double c : {pos.x, pos.y, pos.z}) {
            EXPECT_EQ(std::fabs(c), 0.5);
        }
        // The normal points out of the side the vertex belongs to.
        EXPECT_DOUBLE_EQ(DotV(pos, normal), 0.5) << "vertex " << i;
    }
}

TEST(DefaultModel, TextureStandsUprightOnTheFourUprightSides) {
    const ModelFile cube = Read(kAssets + "TexturedCube.xml");
    int sideVertices = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(cube.numVerts); ++i) {
        const V3 pos = At(cube.verts, i);
        const V3 normal = At(cube.normals, i);
        const float u = cube.uvs[2 * i];
        const float v = cube.uvs[2 * i + 1];
        EXPECT_TRUE((u == 0 || u == 1) && (v == 0 || v == 1));
        if (normal.y != 0) {
            continue;
        }
        ++sideVertices;
        // v grows upwards and u to the right, seen from outside.
        const V3 right = CrossV({0, 1, 0}, normal);
        EXPECT_EQ(v, pos.y > 0 ? 1.0f : 0.0f) << "vertex " << i;
        EXPECT_EQ(u, DotV(pos, right) > 0 ? 1.0f : 0.0f) << "vertex " << i;
    }
    EXPECT_EQ(sideVertices, 16);
}

TEST(ExampleModels, SphereAndTorusAreSoundMeshes) {
    for (const char* name : {"examples/sphere.xml", "examples/torus.xml"}) {
        SCOPED_TRACE(name);
        const ModelFile m = Read(kAssets + name);
        ExpectCountsMatchLists(m);
        EXPECT_GT(m.numFaces, 100);
        const MeshProblems p = Inspect(m.verts, m.normals, m.faces);
        EXPECT_EQ(p.badIndices, 0);
        EXPECT_EQ(p.badNormals, 0);
        EXPECT_EQ(p.wrongWinding, 0);
        // Sized for the viewer's camera, like the default cube after its
        // scaling by 8: within a radius of 5 around the origin.
        for (std::size_t i = 0; i < static_cast<std::size_t>(m.numVerts); ++i) {
            const V3 pos = At(m.verts, i);
            EXPECT_LT(DotV(pos, pos), 25.0);
        }
    }
    const ModelFile sphere = Read(kAssets + "examples/sphere.xml");
    EXPECT_EQ(sphere.numTextures, 1);
    EXPECT_EQ(sphere.texture, "Assets/crate.bmp");
    EXPECT_TRUE(ClosedAndConsistent(Read(kAssets + "examples/torus.xml").faces));
}

TEST(ExampleModels, TorusBinHoldsTheSameMeshAsTorusXml) {
    const ModelFile xml = Read(kAssets + "examples/torus.xml");
    Mesh bin;
    const LoadResult result = ReadBIN(kAssets + "examples/torus.bin", bin);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(std::filesystem::file_size(kAssets + "examples/torus.bin"),
              12 + 32 * static_cast<std::uint64_t>(bin.numVerts) + 12 * static_cast<std::uint64_t>(bin.numFaces));
    EXPECT_EQ(static_cast<long long>(bin.numVerts), xml.numVerts);
    EXPECT_EQ(static_cast<long long>(bin.numFaces), xml.numFaces);
    EXPECT_EQ(static_cast<long long>(bin.numTextures), xml.numTextures);
    // Exactly equal: the generator keeps the values the XML text reads back as.
    EXPECT_EQ(std::vector<float>(bin.verts.begin(), bin.verts.end()), xml.verts);
    EXPECT_EQ(std::vector<float>(bin.normals.begin(), bin.normals.end()), xml.normals);
    EXPECT_EQ(std::vector<float>(bin.uvs.begin(), bin.uvs.end()), xml.uvs);
    EXPECT_EQ(std::vector<std::uint32_t>(bin.faces.begin(), bin.faces.end()), xml.faces);
}

TEST(ModelXmlWriter, EscapesTextsAndWritesNoNegativeZero) {
    Mesh mesh;
    mesh.numVerts = 1;
    mesh.numFaces = 0;
    mesh.numTextures = 1;
    mesh.texturePath = "tex&<1>.bmp";
    ASSERT_TRUE(mesh.AllocVerts() && mesh.AllocNormals() && mesh.AllocUVs() && mesh.AllocFaces());
    mesh.verts[0] = -0.0f;
    mesh.verts[1] = 1.0e-7f;
    mesh.verts[2] = -123456789.0f;
    mesh.normals[2] = -1.0f;
    mesh.uvs[0] = 0.9999f;  // written as the nearest integer
    const TempDir dir;
    const auto path = dir.Path() / "writer.xml";
    std::string error;
    ASSERT_TRUE(WriteModelXML(mesh, {"A & B", "<here>"}, path, error)) << error;

    const ModelFile back = Read(path.string());
    const std::string& text = back.text;
    EXPECT_NE(text.find("<name>A &amp; B</name>"), std::string::npos) << text;
    EXPECT_NE(text.find("<path>&lt;here&gt;</path>"), std::string::npos) << text;
    EXPECT_EQ(back.texture, "tex&<1>.bmp");
    EXPECT_EQ(text.find("-0<"), std::string::npos);
    EXPECT_NE(text.find("<vertY>1e-07</vertY>"), std::string::npos);
    EXPECT_NE(text.find("<vertZ>-1.23457e+08</vertZ>"), std::string::npos);
    EXPECT_NE(text.find("\t\t\t<vertU>1</vertU>\n"), std::string::npos);
    EXPECT_EQ(back.normals, (std::vector<float>{0, 0, -1}));
}

TEST(BigModel, GridComesCloseToTheAskedVertexCount) {
    for (const std::uint64_t target : {5000ull, 500000ull, 2000000ull}) {
        const SphereGrid grid = GridFor(target);
        const double ratio = static_cast<double>(grid.Vertices()) / static_cast<double>(target);
        EXPECT_NEAR(ratio, 1.0, 0.01) << target;
        EXPECT_NEAR(static_cast<double>(grid.Triangles()) / static_cast<double>(grid.Vertices()), 2.0, 0.01) << target;
    }
    // Tiny requests still give a closed sphere.
    EXPECT_GE(GridFor(1).stacks, 3);
    EXPECT_GE(GridFor(1).slices, 3);
}

TEST(BigModel, LumpySphereIsClosedWithUnitNormals) {
    const SphereGrid grid = GridFor(3000);
    const Mesh mesh = MakeLumpySphere(grid);
    ASSERT_EQ(mesh.numVerts, grid.Vertices());
    ASSERT_EQ(static_cast<std::uint64_t>(mesh.numFaces), grid.Triangles());
    const std::vector<float> verts(mesh.verts.begin(), mesh.verts.end());
    const std::vector<float> normals(mesh.normals.begin(), mesh.normals.end());
    const std::vector<std::uint32_t> faces(mesh.faces.begin(), mesh.faces.end());
    const MeshProblems p = Inspect(verts, normals, faces);
    EXPECT_EQ(p.badIndices, 0);
    EXPECT_EQ(p.badNormals, 0);
    EXPECT_EQ(p.wrongWinding, 0);
    EXPECT_TRUE(ClosedAndConsistent(faces));
    // Normals point away from the centre.
    for (std::size_t i = 0; i < mesh.numVerts; ++i) {
        EXPECT_GT(DotV(At(verts, i), At(normals, i)), 0.0) << i;
    }
}

}  // namespace
