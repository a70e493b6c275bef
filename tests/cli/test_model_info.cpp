// The model report: counts, bounds, normals and the own texture of good
// models, and the reason for every class of refused file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "app/cli/model_info.h"
#include "formats/bin/bin_format.h"
#include "mesh/model_test_support.h"
#include "formats/scene/scene_files.h"
#include "formats/xml/xml_documents.h"
#include "support/memory_limit.h"
#include "textures/encode/jpeg_encoder.h"
#include "textures/encode/png_encoder.h"
#include "textures/encode/sample_images.h"

namespace {

std::string Report(const ModelInfo& info) {
    std::ostringstream out;
    PrintModelInfo(info, out);
    return out.str();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One vertex element with the given position and normal.
std::string Vertex(float x, float y, float z, float nx, float ny, float nz) {
    std::ostringstream v;
    v << "<vertex><vertX>" << x << "</vertX><vertY>" << y << "</vertY><vertZ>" << z << "</vertZ><vertNX>" << nx
      << "</vertNX><vertNY>" << ny << "</vertNY><vertNZ>" << nz << "</vertNZ><vertU>0</vertU><vertV>0</vertV></vertex>";
    return v.str();
}

class ModelInfoTest : public testing::Test {
protected:
    std::string Xml(const std::string& name, const std::string& text) {
        const std::string path = scratch.File(name);
        EXPECT_TRUE(WriteFile(path, text));
        return path;
    }
    std::string Bin(const std::string& name, const Mesh& mesh) {
        const std::string path = scratch.File(name);
        const WriteResult written = WriteBIN(mesh, path);
        EXPECT_TRUE(written) << written.reason;
        return path;
    }
    ModelInfo Inspect(const std::string& path) { return InspectModel(path, startupDir); }

    TempDir scratch;
    std::string startupDir;  // none unless a test sets one
};

TEST_F(ModelInfoTest, DefaultModelReport) {
    const ModelInfo info = Inspect("Assets/TexturedCube.xml");
    ASSERT_FALSE(info.Refused()) << info.result.reason;
    EXPECT_EQ(info.format, "XML");
    EXPECT_EQ(info.numVerts, 24u);
    EXPECT_EQ(info.numFaces, 12);
    EXPECT_EQ(info.numTextures, 1u);
    EXPECT_EQ(info.nonUnitNormals, 0u);
    EXPECT_EQ(info.zeroNormals, 0u);
    ASSERT_EQ(info.textures.size(), 1u);
    EXPECT_TRUE(info.textures[0].loads) << info.textures[0].reason;
    EXPECT_EQ(info.textures[0].format, "BMP");
    EXPECT_TRUE(info.warnings.empty());

    const std::string text = Report(info);
    for (const char* line : {"vertices: 24\n", "faces: 12\n", "textures: 1\n", "bounds min: -0.5 -0.5 -0.5\n",
                             "bounds max: 0.5 0.5 0.5\n", "centre: 0 0 0\n", "size: 1 1 1\n",
                             "normals: 24 unit length, 0 not unit length, 0 zero\n", "status: accepted\n"})
        EXPECT_TRUE(Contains(text, line)) << line << "\nin\n" << text;
    EXPECT_TRUE(Contains(text, "own texture: Assets/crate.bmp: loads, BMP ")) << text;
}

TEST_F(ModelInfoTest, BoundsAndNormalsOfAnOffCentreModel) {
    const std::string body = "<numVerts>3</numVerts><numFaces>1</numFaces><vertList>" + Vertex(1, 2, 3, 0, 0, 1) +
                             Vertex(5, -2, 3, 0, 0, 2) + Vertex(1, 0, 7, 0, 0, 0) +
                             "</vertList><faceList><face><faceA>0</faceA><faceB>1</faceB><faceC>1</faceC></face>"
                             "</faceList>";
    const ModelInfo info = Inspect(Xml("m.xml", InMesh(body)));
    ASSERT_FALSE(info.Refused()) << info.result.reason;
    EXPECT_EQ(info.nonUnitNormals, 1u);
    EXPECT_EQ(info.zeroNormals, 1u);
    EXPECT_EQ(info.degenerateFaces, 1u);
    const std::string text = Report(info);
    EXPECT_TRUE(Contains(text, "bounds min: 1 -2 3\n")) << text;
    EXPECT_TRUE(Contains(text, "bounds max: 5 2 7\n")) << text;
    EXPECT_TRUE(Contains(text, "centre: 3 0 5\n")) << text;
    EXPECT_TRUE(Contains(text, "size: 4 4 4\n")) << text;
    EXPECT_TRUE(Contains(text, "normals: 1 unit length, 1 not unit length, 1 zero\n")) << text;
    EXPECT_TRUE(Contains(text, "own texture: none\n")) << text;
    EXPECT_EQ(info.warnings.size(), 3u) << text;  // zero normals, non-unit normals, degenerate face
}

TEST_F(ModelInfoTest, EveryWarningAndEmptyBoundsAreWrittenOut) {
    const struct {
        const char* what;
        std::string body;
        std::vector<std::string> lines;
    } cases[] = {
        {"normals and faces",
         "<numVerts>3</numVerts><numFaces>1</numFaces><vertList>" + Vertex(1, 2, 3, 0, 0, 1) +
             Vertex(5, -2, 3, 0, 0, 2) + Vertex(1, 0, 7, 0, 0, 0) +
             "</vertList><faceList><face><faceA>0</faceA><faceB>1</faceB><faceC>1</faceC></face></faceList>",
         {"warning: 1 zero normals: those vertices are drawn unlit\n",
          "warning: 1 normals are not unit length: lighting is too bright or too dark there",
          "warning: 1 faces use one vertex twice and cover no area\n"}},
        {"no vertices, a texture count and no texture",
         "<numTextures>2</numTextures>",
         {"bounds: none (no vertices)\n",
          "warning: numTextures is 2 but no texture image is named: texture coordinates are drawn with no image"}},
        {"vertices without faces",
         "<numVerts>1</numVerts><vertList>" + Vertex(0, 0, 0, 0, 0, 1) + "</vertList>",
         {"warning: the model has vertices but no faces: nothing is drawn\n"}},
        {"a texture that loads with a count of 0",
         "<numTextures>0</numTextures><textureList><texture>Assets/crate.bmp</texture></textureList>",
         {"warning: a texture is named but numTextures is 0: the viewer does not use it\n"}},
    };
    for (const auto& c : cases) {
        const ModelInfo info = Inspect(Xml("m.xml", InMesh(c.body)));
        ASSERT_FALSE(info.Refused()) << c.what << ": " << info.result.reason;
        const std::string text = Report(info);
        const auto warnings = std::count_if(c.lines.begin(), c.lines.end(),
                                            [](const std::string& line) { return line.starts_with("warning: "); });
        EXPECT_EQ(info.warnings.size(), static_cast<std::size_t>(warnings)) << c.what << "\n" << text;
        for (const std::string& line : c.lines) EXPECT_TRUE(Contains(text, line)) << c.what << "\n" << text;
    }
}

TEST_F(ModelInfoTest, MissingOwnTextureIsReportedButTheModelIsAccepted) {
    const ModelInfo info = Inspect(Xml("m.xml", ExampleModel("nowhere/missing.bmp")));
    ASSERT_FALSE(info.Refused());
    // The viewer drops a texture it can't load: no own texture afterwards.
    EXPECT_EQ(info.numTextures, 0u);
    ASSERT_EQ(info.textures.size(), 1u);
    EXPECT_FALSE(info.textures[0].loads);
    const std::string text = Report(info);
    EXPECT_TRUE(Contains(text, "own texture: nowhere/missing.bmp: does not load: cannot open")) << text;
    EXPECT_TRUE(Contains(text, "warning: the own texture does not load")) << text;
}

// An imported model's make-up: its parts, each material's colour and
// texture (a file that loads or doesn't, with a warning naming it), and its
// vertex colours.
TEST_F(ModelInfoTest, ImportedModelListsItsPartsMaterialsAndColours) {
    const std::string crate = std::filesystem::absolute("Assets/crate.bmp").string();
    ASSERT_TRUE(std::filesystem::copy_file(crate, scratch.File("crate.bmp")));
    Xml("look.mtl", "newmtl red\nKd 1 0 0\nnewmtl boxed\nKd 0 0.5 1\nmap_Kd crate.bmp\n"
                    "newmtl lost\nKd 1 1 1\nmap_Kd gone.bmp\n");
    const std::string obj = Xml("look.obj", "mtllib look.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                                            "usemtl red\nf 1 2 3\nusemtl boxed\nf 1/1 2/2 3/3\nusemtl lost\nf 1/1 2/2 3/3\n");
    const std::string text = Report(Inspect(obj));
    EXPECT_TRUE(Contains(text, "parts: 3\n")) << text;
    EXPECT_TRUE(Contains(text, "material 1: colour 1 0 0 1, texture none\n")) << text;
    EXPECT_TRUE(Contains(text, "material 2: colour 0 0.5 1 1, texture " + scratch.File("crate.bmp") + ": loads, BMP "))
        << text;
    EXPECT_TRUE(Contains(text, "material 3: colour 1 1 1 1, texture " + scratch.File("gone.bmp") + ": does not load"))
        << text;
    EXPECT_TRUE(Contains(text, "warning: the texture of material 3 does not load: " + scratch.File("gone.bmp"))) << text;
    EXPECT_FALSE(Contains(text, "vertex colours")) << text;

    const std::string ply = Xml("colours.ply",
                                "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
                                "property float z\nproperty uchar red\nproperty uchar green\nproperty uchar blue\n"
                                "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
                                "0 0 0 255 0 0\n1 0 0 0 255 0\n0 1 0 0 0 255\n3 0 1 2\n");
    const std::string coloured = Report(Inspect(ply));
    EXPECT_TRUE(Contains(coloured, "vertex colours: yes\n")) << coloured;
    EXPECT_FALSE(Contains(coloured, "material 1")) << coloured;
}

TEST_F(ModelInfoTest, TextureWithAnotherExtensionDoesNotLoad) {
    const ModelInfo info = Inspect(Xml("m.xml", ExampleModel("Assets/spheremap.dds")));
    ASSERT_EQ(info.textures.size(), 1u);
    EXPECT_FALSE(info.textures[0].loads);
    EXPECT_TRUE(Contains(info.textures[0].reason, "bmp, tga, png, jpg or jpeg")) << info.textures[0].reason;
}

TEST_F(ModelInfoTest, PngAndJpegTexturesReportTheirFormatAndSizeOrWhyTheyDoNotLoad) {
    const Bytes png = EncodePNG(PNGFromPicture(MakePicture(6, 5, 4)));
    const Bytes jpeg = EncodeJPEG(MakePicture(9, 7, 3));
    scratch.Write("skin.png", png);
    scratch.Write("photo.JPEG", jpeg);
    scratch.Write("cut.jpg", Bytes(jpeg.begin(), jpeg.end() - 10));  // in the scan: the header is whole
    scratch.Write("jpeg.png", jpeg);  // the name decides the reader, not the content
    const struct {
        const char* file;
        const char* format;
        int width, height;
        const char* reason;  // nullptr: loads
    } cases[] = {{"skin.png", "PNG", 6, 5, nullptr},
                 {"photo.JPEG", "JPEG", 9, 7, nullptr},
                 {"cut.jpg", "JPEG", 9, 7, "bad JPEG file"},
                 {"jpeg.png", "PNG", 0, 0, "not a PNG file"}};
    for (const auto& c : cases) {
        const ModelInfo info = Inspect(Xml("m.xml", ExampleModel(scratch.File(c.file))));
        ASSERT_EQ(info.textures.size(), 1u) << c.file;
        const TextureCheck& texture = info.textures[0];
        EXPECT_EQ(texture.loads, c.reason == nullptr) << c.file << ": " << texture.reason;
        EXPECT_EQ(texture.format, c.format) << c.file;
        EXPECT_EQ(texture.width, c.width) << c.file;
        EXPECT_EQ(texture.height, c.height) << c.file;
        if (c.reason) {
            EXPECT_TRUE(Contains(texture.reason, c.reason)) << c.file << ": " << texture.reason;
        }
        EXPECT_EQ(info.numTextures, c.reason ? 0u : 1u) << c.file;
    }
}

TEST_F(ModelInfoTest, TgaTextureReportsItsFormatAndSize) {
    const ModelInfo info = Inspect(Xml("m.xml", ExampleModel("Assets/spheremap.tga")));
    ASSERT_EQ(info.textures.size(), 1u);
    EXPECT_TRUE(info.textures[0].loads) << info.textures[0].reason;
    EXPECT_EQ(info.textures[0].format, "TGA");
    EXPECT_GT(info.textures[0].width, 0);
    EXPECT_EQ(info.numTextures, 1u);
}

TEST_F(ModelInfoTest, RelativeTexturePathTriesTheCurrentDirectoryFirstThenTheStartupDir) {
    // Only under the start-up directory: found there.
    std::filesystem::create_directories(scratch.File("Assets"));
    std::filesystem::copy_file("Assets/crate.bmp", scratch.File("Assets/only-there.bmp"));
    startupDir = scratch.File("");
    ModelInfo info = Inspect(Xml("a.xml", ExampleModel("Assets/only-there.bmp")));
    ASSERT_EQ(info.textures.size(), 1u);
    EXPECT_TRUE(info.textures[0].loads) << info.textures[0].reason;
    EXPECT_EQ(std::filesystem::path(info.textures[0].file),
              std::filesystem::path(scratch.File("Assets/only-there.bmp")));

    // In both places: the current directory's file wins (the other is no image).
    ASSERT_TRUE(WriteFile(scratch.File("Assets/crate.bmp"), "not a bitmap"));
    info = Inspect(Xml("b.xml", ExampleModel("Assets/crate.bmp")));
    ASSERT_EQ(info.textures.size(), 1u);
    EXPECT_TRUE(info.textures[0].loads) << info.textures[0].reason;
    EXPECT_EQ(info.textures[0].file, "Assets/crate.bmp");
}

TEST_F(ModelInfoTest, BinReportAndItsTextureCount) {
    const ModelInfo info = Inspect(Bin("m.bin", MakeMesh(4, 2, 1)));
    ASSERT_FALSE(info.Refused()) << info.result.reason;
    EXPECT_EQ(info.format, "BIN");
    EXPECT_EQ(info.numVerts, 4u);
    EXPECT_EQ(info.numFaces, 2);
    EXPECT_TRUE(Contains(Report(info), "warning: numTextures is 1 but the BIN layout names no texture"));

    // Another extension is read as BIN, as the viewer offers.
    std::filesystem::copy_file(scratch.File("m.bin"), scratch.File("m.model"));
    const ModelInfo other = Inspect(scratch.File("m.model"));
    EXPECT_FALSE(other.Refused());
    EXPECT_FALSE(other.extensionKnown);
    EXPECT_TRUE(Contains(Report(other), "format: BIN (no reader claims the extension"));

    // The import library's formats report the same facts, under their own name.
    ASSERT_TRUE(WriteFile(scratch.File("cube.obj"), CubeObj()));
    const ModelInfo obj = Inspect(scratch.File("cube.obj"));
    ASSERT_FALSE(obj.Refused()) << obj.result.reason;
    EXPECT_TRUE(Contains(Report(obj), "format: OBJ\nvertices: 24\nfaces: 12\n")) << Report(obj);
}

// Each refused file: refused, with the loader's reason in the report.
void ExpectRefused(const ModelInfo& info, const std::string& reasonPart) {
    EXPECT_TRUE(info.Refused()) << info.path;
    const std::string text = Report(info);
    EXPECT_TRUE(Contains(text, "problem: ")) << text;
    EXPECT_TRUE(Contains(text, reasonPart)) << "wanted \"" << reasonPart << "\" in\n" << text;
    EXPECT_TRUE(Contains(text, "status: refused\n")) << text;
    EXPECT_FALSE(Contains(text, "vertices:")) << text;
}

TEST_F(ModelInfoTest, EveryClassOfBadFileNamesItsProblem) {
    const ScopedMemoryLimit memory(32 * ScopedMemoryLimit::kGiB);  // refusals must not depend on the host
    ExpectRefused(Inspect(scratch.File("missing.xml")), "cannot open the file: No such file");
    ExpectRefused(Inspect(scratch.File("missing.bin")), "cannot open the file: No such file");

    // A BIN file cut short: the counts promise more than it has.
    const std::string whole = Bin("whole.bin", MakeMesh(3, 1));
    const auto size = std::filesystem::file_size(whole);
    std::filesystem::copy_file(whole, scratch.File("cut.bin"));
    std::filesystem::resize_file(scratch.File("cut.bin"), size - 5);
    ExpectRefused(Inspect(scratch.File("cut.bin")), std::to_string(size - 5));

    // A face using a vertex that doesn't exist, in either format.
    Mesh badIndex = MakeMesh(3, 1);
    badIndex.faces[2] = 7;
    ExpectRefused(Inspect(Bin("index.bin", badIndex)), "uses vertex 7");
    std::string xml = ExampleModel();
    xml.replace(xml.find("<faceC>2</faceC>"), 16, "<faceC>9</faceC>");
    ExpectRefused(Inspect(Xml("index.xml", xml)), "uses vertex 9");

    // Malformed XML: the line of the fault.
    ExpectRefused(Inspect(Xml("broken.xml", "<mesh>\n<numVerts>3</numVerts>\n<vertList>\n</mesh>\n")), "line 4");

    // Well-formed XML that is no model.
    ExpectRefused(Inspect(Xml("picture.xml", "<svg><path d='M0 0'/></svg>")), "no mesh in this document");

    // Counts no machine could hold.
    ExpectRefused(Inspect(Xml("huge.xml", InMesh("<numVerts>4294967295</numVerts>"))), "4294967295");
    ExpectRefused(Inspect(Xml("huge-faces.xml", InMesh("<numFaces>-3</numFaces>"))), "-3");
    const std::uint32_t header[3] = {0xFFFFFFFFu, 0x7FFFFFFF, 0};
    ASSERT_TRUE(WriteFile(scratch.File("huge.bin"), header, sizeof header));
    ExpectRefused(Inspect(scratch.File("huge.bin")), "4294967295");
}

}  // namespace
