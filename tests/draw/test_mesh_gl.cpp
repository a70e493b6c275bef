#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "textures/encode/image_encoders.h"
#include "textures/encode/sample_images.h"
#include "support/recording_sink.h"
#include "draw/mesh_gl.h"
#include "formats/bin/bin_format.h"
#include "formats/xml/xml_documents.h"
#include "mesh/mesh.h"
#include "mesh/model_test_support.h"
#include "support/gl_test_support.h"
#include "support/memory_limit.h"

namespace {

constexpr int kSize = 64;

// Texture objects alive among the first names: a leak or a wrong release shows as a changed count.
int LiveTextures() {
    int live = 0;
    for (GLuint name = 1; name < 512; ++name) live += glIsTexture(name) ? 1 : 0;
    return live;
}

class ModelGL : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestContext().Resize(kSize, kSize));
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kSize, 0, kSize, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 1, 1);
    }
    void TearDown() override {
        ClearTexture(model, texture);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // A right triangle with legs of 32 pixels, its corner at (8, 8) after the modelview's shift.
    std::string TriangleBin(std::int32_t faces = 1, std::uint32_t numTextures = 0) {
        Mesh mesh;
        mesh.numVerts = 3;
        mesh.numFaces = faces;
        mesh.numTextures = numTextures;
        mesh.AllocVerts(), mesh.AllocNormals(), mesh.AllocUVs(), mesh.AllocFaces();
        const float verts[9] = {0, 0, 0, 32, 0, 0, 0, 32, 0};
        std::copy(std::begin(verts), std::end(verts), mesh.verts.begin());
        for (std::size_t i = 0; i < mesh.uvs.size(); i += 2) mesh.uvs[i] = 0.75f, mesh.uvs[i + 1] = 0.5f;
        for (std::size_t i = 0; i < mesh.faces.size(); ++i) mesh.faces[i] = static_cast<std::uint32_t>(i % 3);
        const std::string path = dir_.File("triangle.bin");
        const WriteResult written = WriteBIN(mesh, path);
        EXPECT_TRUE(written) << written.reason;
        return path;
    }

    // Gives model an uploaded own texture, as an XML load would.
    void GiveModelAnOwnTexture() {
        glBindTexture(GL_TEXTURE_2D, texture.Generate());
        const std::uint8_t pixel[4] = {1, 2, 3, 4};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        model.texturePath = "Assets/own.bmp";
        model.numTextures = 1;
    }

    std::string WriteBmp(const std::string& name) { return textures_.Write(name, EncodeBMP(MakePicture(4, 2, 3))); }
    std::string WriteXml(const std::string& text) {
        const std::string path = dir_.File("model.xml");
        EXPECT_TRUE(WriteFile(path, text));
        return path;
    }

    TempDir dir_;
    TempDir textures_;
    RecordingSink sink_;
    Mesh model;
    ModelTextures textures;
    GlTexture& texture = textures.own;  // the GL texture of model's own image
};

// Pixel at GL window coordinates (x, y), origin bottom left.
const std::uint8_t* At(const RgbaImage& image, int x, int y) { return image.At(x, kSize - 1 - y); }

TEST_F(ModelGL, BinTriangleCoversItsPixelsAndZeroFacesDrawNothing) {
    ASSERT_TRUE(LoadBIN(model, textures, TriangleBin()));
    glTranslatef(8, 8, 0);
    Draw(model);
    RgbaImage image = TestContext().ReadPixels();
    int lit = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const bool white = NearColor(At(image, x, y), 255, 255, 255, 0);
            lit += white ? 1 : 0;
            const int u = x - 8, v = y - 8;  // pixel centre inside the legs and the hypotenuse?
            if (u >= 1 && v >= 1 && u + v <= 30) {
                EXPECT_TRUE(white) << x << "," << y;
            }
            if (u < 0 || v < 0 || u + v >= 33) {
                EXPECT_FALSE(white) << x << "," << y;
            }
        }
    EXPECT_NEAR(lit, 32 * 32 / 2, 40);
    if (HasFailure()) SaveTestImage(image, "model_triangle");

    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(LoadBIN(model, textures, TriangleBin(0)));
    EXPECT_EQ(model.numVerts, 3u);
    Draw(model);
    image = TestContext().ReadPixels();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) ASSERT_TRUE(NearColor(At(image, x, y), 0, 0, 0, 0));
}

// Every triangle of a big model is drawn, wherever it falls among the draw
// calls: 50000 triangles, each covering one pixel of its own (triangle i the
// pixel (i % 256, i / 256)), so a triangle lost or misplaced at any split of
// the index list shows as a dark or a wrong pixel, named by its index.
TEST_F(ModelGL, EveryTriangleOfABigModelIsDrawnAtItsPlace) {
    constexpr int kSide = 256;
    constexpr std::int32_t kTriangles = 50000;
    ASSERT_TRUE(TestContext().Resize(kSide, kSide));
    glViewport(0, 0, kSide, kSide);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kSide, 0, kSide, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT);

    Mesh mesh;
    mesh.numVerts = 3 * kTriangles;
    mesh.numFaces = kTriangles;
    ASSERT_TRUE(mesh.AllocVerts() && mesh.AllocNormals() && mesh.AllocUVs() && mesh.AllocFaces());
    for (std::int32_t i = 0; i < kTriangles; ++i) {
        // Corners clear of every pixel centre: the triangle covers the centre of its pixel and no other.
        const float x = static_cast<float>(i % kSide), y = static_cast<float>(i / kSide);
        const float corners[9] = {x + 0.1f, y + 0.1f, 0, x + 1.4f, y + 0.1f, 0, x + 0.1f, y + 1.4f, 0};
        std::copy(std::begin(corners), std::end(corners), mesh.verts.begin() + 9 * i);
        for (std::uint32_t k = 0; k < 3; ++k) mesh.faces[3 * i + k] = static_cast<std::uint32_t>(3 * i) + k;
    }
    Draw(mesh);
    const RgbaImage image = TestContext().ReadPixels();
    const auto lit = [&image](int index) {
        return NearColor(image.At(index % kSide, kSide - 1 - index / kSide), 255, 255, 255, 0);
    };
    // Around each split of the list and between them, named for the reader; then all of them.
    for (const int index : {0, 16383, 16384, 16385, 32767, 32768, 32769, 40001, 49151, 49152, 49153, 49999})
        EXPECT_TRUE(lit(index)) << "triangle " << index;
    int missing = 0, stray = 0;
    for (int pixel = 0; pixel < kSide * kSide; ++pixel) {
        const bool drawn = lit(pixel), expected = pixel < kTriangles;
        if (expected && !drawn && ++missing <= 10) ADD_FAILURE() << "triangle " << pixel << " is not drawn";
        if (!expected && drawn && ++stray <= 10) ADD_FAILURE() << "pixel " << pixel << " is lit";
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(stray, 0);
    if (HasFailure()) SaveTestImage(image, "model_big");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ModelGL, TextureCoordinatesGoWithATextureCountAndClientStateIsRestored) {
    // Texel 0 red, texel 1 green: the triangle's coordinates pick green, the
    // current coordinate (0, 0) red.
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const std::uint8_t texels[8] = {255, 0, 0, 255, 0, 255, 0, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    glTexCoord2f(0, 0);
    glTranslatef(8, 8, 0);

    for (const std::uint32_t numTextures : {1u, 0u}) {
        SCOPED_TRACE(numTextures);
        glClear(GL_COLOR_BUFFER_BIT);
        ASSERT_TRUE(LoadBIN(model, textures, TriangleBin(1, numTextures)));
        EXPECT_EQ(texture.Name(), 0u);  // a BIN model never has an own texture
        Draw(model);
        const RgbaImage image = TestContext().ReadPixels();
        if (numTextures)
            EXPECT_TRUE(NearColor(At(image, 14, 14), 0, 255, 0, 0));
        else
            EXPECT_TRUE(NearColor(At(image, 14, 14), 255, 0, 0, 0));
        EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
        EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    }
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &name);
}

TEST_F(ModelGL, BinLoadReplacesTheModelAndReleasesItsOwnTexture) {
    GiveModelAnOwnTexture();
    const GLuint own = texture.Name();
    ASSERT_TRUE(LoadBIN(model, textures, TriangleBin(1, 1)));
    EXPECT_FALSE(glIsTexture(own));
    EXPECT_EQ(texture.Name(), 0u);
    EXPECT_EQ(model.texturePath, "");
    EXPECT_EQ(model.numTextures, 1u);
}

TEST_F(ModelGL, RefusedBinFilesLeaveTheModelAndItsTextureUntouched) {
    ASSERT_TRUE(LoadBIN(model, textures, TriangleBin()));
    GiveModelAnOwnTexture();
    const MeshSnapshot before = Snapshot(model);
    const GLuint own = texture.Name();

    std::vector<std::uint8_t> good(120);
    {
        std::FILE* f = std::fopen(TriangleBin().c_str(), "rb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fread(good.data(), 1, good.size(), f), good.size());
        std::fclose(f);
    }
    std::vector<std::vector<std::uint8_t>> files;
    for (std::size_t size : {0, 7, 12, 60, 119}) files.emplace_back(good.begin(), good.begin() + size);
    auto huge = good;
    huge[3] = 0x7F;  // 2^31 vertices
    files.push_back(huge);
    auto negative = good;
    negative[7] = 0x80;
    files.push_back(negative);
    auto badIndex = good;
    badIndex[112] = 3;
    files.push_back(badIndex);

    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string path = dir_.File("bad" + std::to_string(i) + ".bin");
        ASSERT_TRUE(WriteFile(path, files[i].data(), files[i].size()));
        const LoadResult result = LoadBIN(model, textures, path);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.reason.empty());
        EXPECT_EQ(Snapshot(model), before);
        EXPECT_EQ(texture.Name(), own);
        EXPECT_TRUE(glIsTexture(texture.Name()));
    }
    EXPECT_FALSE(LoadBIN(model, textures, dir_.File("missing.bin")).ok);
    EXPECT_EQ(Snapshot(model), before);
    const LoadResult cancelled =
        LoadBIN(model, textures, TriangleBin(), [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(Snapshot(model), before);
}

TEST_F(ModelGL, XmlExampleLoadsItsOwnTexture) {
    const std::string bmp = WriteBmp("spheremap.bmp");
    GiveModelAnOwnTexture();
    const GLuint previous = texture.Name();
    const LoadResult result = LoadXML(model, textures, WriteXml(ExampleModel(bmp)), {}, sink_);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(model.numVerts, 3u);
    EXPECT_EQ(model.numFaces, 1);
    EXPECT_EQ(model.numTextures, 1u);
    EXPECT_EQ(model.texturePath, bmp);
    ASSERT_NE(texture.Name(), 0u);
    EXPECT_TRUE(glIsTexture(texture.Name()));
    if (texture.Name() != previous) {
        EXPECT_FALSE(glIsTexture(previous));
    }
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, texture.Name());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 4);
    EXPECT_TRUE(sink_.shown.empty());
}

struct TextureCase {
    const char* what;
    std::string body;  // inside "mesh"
    std::uint32_t numTextures;
    bool hasTexture;
    int messages;
};

TEST_F(ModelGL, OwnTextureFollowsTheOrderOfEvents) {
    const std::string good = WriteBmp("crate.bmp");
    const std::string upper = WriteBmp("Crate.BMP");
    const std::string missing = textures_.Path().string() + "/missing.bmp";
    const auto list = [](const std::string& path) {
        return "<textureList><texture>" + path + "</texture></textureList>";
    };
    const std::vector<TextureCase> cases = {
        {"count, then a missing texture", "<numTextures>1</numTextures>" + list(missing), 0, false, 1},
        {"a missing texture, then the count", list(missing) + "<numTextures>1</numTextures>", 1, false, 1},
        {"a missing TGA", "<numTextures>1</numTextures>" + list(textures_.Path().string() + "/x.tga"), 0, false, 1},
        {"no count", list(good), 0, true, 0},
        {"upper-case extension", "<numTextures>2</numTextures>" + list(upper), 2, true, 0},
        {"trailing line break", "<numTextures>1</numTextures>" + list(good + "\n"), 0, false, 0},
        {"another extension", "<numTextures>1</numTextures>" + list(good + ".gif"), 0, false, 0},
        {"a good texture after a missing one",
         "<numTextures>1</numTextures><textureList><texture>" + missing + "</texture><texture>" + good +
             "</texture></textureList>",
         0, true, 1},
    };
    for (const TextureCase& c : cases) {
        SCOPED_TRACE(c.what);
        sink_.shown.clear();
        const LoadResult result = LoadXML(model, textures, WriteXml(InMesh(c.body)), {}, sink_);
        ASSERT_TRUE(result) << result.reason;
        EXPECT_EQ(model.numTextures, c.numTextures);
        EXPECT_EQ(texture.Name() != 0, c.hasTexture);
        EXPECT_EQ(model.texturePath.empty(), !c.hasTexture);
        ASSERT_EQ(static_cast<int>(sink_.shown.size()), c.messages);
        for (const auto& [text, caption] : sink_.shown) {
            // The message names the file, and says the model is shown without it.
            const std::string file = c.what == std::string("a missing TGA") ? textures_.Path().string() + "/x.tga"
                                                                            : missing;
            EXPECT_EQ(text, (c.what == std::string("a missing TGA") ? "Texture File Not Found (TGA): "
                                                                    : "Texture File Not Found (BMP): ") +
                                file + " (the model is shown without it)");
            EXPECT_EQ(caption, "Error");
        }
    }
}

TEST_F(ModelGL, ASecondTextureElementReleasesTheFirst) {
    const std::string a = WriteBmp("a.bmp"), b = WriteBmp("b.bmp");
    ClearTexture(model, texture);
    const int liveBefore = LiveTextures();
    ASSERT_TRUE(
        LoadXML(model, textures,
                WriteXml(InMesh("<textureList><texture>" + a + "</texture><texture>" + b + "</texture></textureList>")),
                {}, sink_));
    EXPECT_EQ(model.texturePath, b);
    EXPECT_EQ(LiveTextures(), liveBefore + 1);
    ClearTexture(model, texture);
    EXPECT_EQ(LiveTextures(), liveBefore);
}

TEST_F(ModelGL, RefusedXmlFilesLeaveTheModelUntouchedAndReleaseTheirTexture) {
    const ScopedMemoryLimit memory(32 * ScopedMemoryLimit::kGiB);  // refusals must not depend on the host
    const std::string bmp = WriteBmp("own.bmp");
    ASSERT_TRUE(LoadXML(model, textures, WriteXml(ExampleModel(bmp)), {}, sink_));
    const MeshSnapshot before = Snapshot(model);
    const GLuint own = texture.Name();
    const int liveBefore = LiveTextures();
    const std::string ownImage =
        "<numTextures>1</numTextures><textureList><texture>" + bmp + "</texture></textureList>";
    const std::vector<std::string> documents = {
        ExampleModel(bmp).substr(0, 700),                                  // broken off
        "<mesh>" + ownImage + "<numVerts>1</numVerts></numFaces></mesh>",  // not well-formed
        InMesh(ownImage + "<numVerts>1</numVerts><vertList><vertex/><vertex><vertX>1</vertX></vertex></vertList>"),
        InMesh(ownImage + "<numVerts>2</numVerts><numFaces>1</numFaces>"
                          "<faceList><face><faceA>2</faceA></face></faceList>"),  // index beyond the vertices
        InMesh(ownImage + "<numVerts>4294967295</numVerts>"),
        "",
    };
    for (const std::string& document : documents) {
        SCOPED_TRACE(document);
        const LoadResult result = LoadXML(model, textures, WriteXml(document), {}, sink_);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.reason.empty());
        EXPECT_EQ(Snapshot(model), before);
        EXPECT_EQ(texture.Name(), own);
        EXPECT_EQ(LiveTextures(), liveBefore);
    }
    EXPECT_FALSE(LoadXML(model, textures, dir_.File("missing.xml"), {}, sink_).ok);
    const LoadResult cancelled = LoadXML(model, textures, WriteXml(ExampleModel(bmp)), {}, sink_,
                                         [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(Snapshot(model), before);
    EXPECT_EQ(LiveTextures(), liveBefore);
    EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(ModelGL, DefaultModelFromTheAssets) {
    const std::string path = "Assets/TexturedCube.xml";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " has not been generated";
    const LoadResult result = LoadXML(model, textures, path, {}, sink_);
    ASSERT_TRUE(result) << result.reason;
    EXPECT_EQ(model.numVerts, 24u);
    EXPECT_EQ(model.numFaces, 12);
    EXPECT_NE(model.numTextures, 0u);
    EXPECT_NE(texture.Name(), 0u);
    EXPECT_EQ(model.texturePath, "Assets/crate.bmp");
    EXPECT_TRUE(sink_.shown.empty());
}

}  // namespace
