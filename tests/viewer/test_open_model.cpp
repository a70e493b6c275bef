// The open flow: the loader chosen by extension (case-blind), the question
// for other names, failures that keep the previous model, and what every
// outcome does to the camera and the texture group. Then the reload of the
// shown model's file: Fit kept, and the texture group's fallback.
#include <filesystem>
#include <string>
#include <vector>

#include "math/camera.h"
#include "formats/bin/bin_format.h"
#include "mesh/mesh.h"
#include "support/temp_dir.h"
#include "viewer_fixture.h"

namespace {

namespace fs = std::filesystem;

// A one-triangle model whose first x coordinate tells which file it came from.
Mesh Triangle(float firstX, std::uint32_t numTextures) {
    Mesh mesh;
    mesh.numVerts = 3;
    mesh.numFaces = 1;
    mesh.numTextures = numTextures;
    mesh.AllocVerts();
    mesh.AllocNormals();
    mesh.AllocUVs();
    mesh.AllocFaces();
    const float verts[] = {firstX, 0, 0, 1, 0, 0, 0, 1, 0};
    for (int i = 0; i < 9; ++i) mesh.verts[i] = verts[i];
    for (int i = 0; i < 3; ++i) mesh.normals[3 * i + 2] = 1.0f;
    mesh.faces[1] = 1;
    mesh.faces[2] = 2;
    return mesh;
}

std::string TriangleXML(float firstX) {
    std::string xml =
        "<?xml version=\"1.0\"?>\n<mesh><name>tri</name><numVerts>3</numVerts><numFaces>1</numFaces>"
        "<vertList>";
    const float xs[] = {firstX, 1, 0}, ys[] = {0, 0, 1};
    for (int i = 0; i < 3; ++i) {
        xml += "<vertex><vertX>" + std::to_string(xs[i]) + "</vertX><vertY>" + std::to_string(ys[i]) +
               "</vertY><vertZ>0</vertZ><vertNX>0</vertNX><vertNY>0</vertNY><vertNZ>1</vertNZ>"
               "<vertU>0</vertU><vertV>0</vertV></vertex>";
    }
    xml += "</vertList><faceList><face><faceA>0</faceA><faceB>1</faceB><faceC>2</faceC></face></faceList></mesh>\n";
    return xml;
}

// The positions of the shown model's vertices.
std::vector<float> Positions(const Mesh& mesh) { return {mesh.verts.begin(), mesh.verts.end()}; }

class OpenModelTest : public ViewerTest {
protected:
    std::string WriteBin(const std::string& name, float firstX, std::uint32_t numTextures = 0) {
        return WriteMesh(name, Triangle(firstX, numTextures));
    }
    std::string WriteMesh(const std::string& name, const Mesh& mesh) {
        const std::string path = (dir_.Path() / name).string();
        const WriteResult written = WriteBIN(mesh, path);
        EXPECT_TRUE(written) << written.reason;
        return path;
    }
    std::string WriteText(const std::string& name, const std::string& text) {
        const std::string path = (dir_.Path() / name).string();
        EXPECT_TRUE(WriteFile(path, text));
        return path;
    }
    // Moves the eye and turns the model, so that a reset shows.
    void DisturbCamera() {
        viewer.camera.MoveUp(5.0f);
        viewer.modelRotY = 30.0f;
    }
    bool CameraIsReset() const {
        Vec3f eye;
        viewer.camera.GetOrigin(eye);
        return eye.x == 0.0f && eye.y == 0.0f && eye.z == 20.0f && viewer.modelRotY == 0.0f;
    }

    TempDir dir_;
};

TEST_F(OpenModelTest, XmlAndBinExtensionsLoadWhateverTheirCase) {
    struct Case {
        std::string name;
        float firstX;
        bool xml;
    };
    const Case cases[] = {{"lower.xml", -1.5f, true},
                          {"UPPER.XML", -2.5f, true},
                          {"Mixed.Xml", -3.5f, true},
                          {"lower.bin", 4.5f, false},
                          {"UPPER.BIN", 5.5f, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.xml ? WriteText(c.name, TriangleXML(c.firstX)) : WriteBin(c.name, c.firstX);
        DisturbCamera();
        shell = ScriptedShell{};
        const LoadResult result = OpenModel(viewer, path, shell);
        EXPECT_TRUE(result.ok) << result.reason;
        EXPECT_TRUE(shell.questions.empty());
        EXPECT_TRUE(shell.messages.empty());
        ASSERT_EQ(viewer.model.numVerts, 3u);
        EXPECT_EQ(viewer.model.verts[0], c.firstX);
        EXPECT_TRUE(CameraIsReset());
        EXPECT_EQ(viewer.checkedTexture, CommandId::TexBMP);
        EXPECT_EQ(viewer.textureMode, TextureMode::Bmp);
        EXPECT_EQ(shell.repaints, 1);
        EXPECT_EQ(shell.progressBegins, 1);
        EXPECT_EQ(shell.progressEnds, 1);
        EXPECT_EQ(shell.progressTotal, fs::file_size(path));
    }
}

TEST_F(OpenModelTest, OtherExtensionsAskAndYesReadsBin) {
    for (const std::string name : {"noextension", "model.dat", "archive.xml.gz", "dotted.dir/file"}) {
        SCOPED_TRACE(name);
        if (name.find('/') != std::string::npos) fs::create_directories(dir_.Path() / fs::path(name).parent_path());
        const std::string path = WriteBin(name, 7.0f);
        shell = ScriptedShell{};
        shell.yesNoAnswers = {true};
        EXPECT_TRUE(OpenModel(viewer, path, shell).ok);
        ASSERT_EQ(shell.questions.size(), 1u);
        EXPECT_EQ(shell.questions[0].text, "Extension not recognised. Open as BIN?");
        EXPECT_EQ(shell.questions[0].caption, "File Type Error");
        ASSERT_EQ(viewer.model.numVerts, 3u);
        EXPECT_EQ(viewer.model.verts[0], 7.0f);
    }
}

TEST_F(OpenModelTest, NoLoadsNothingButResetsTheCameraAndTheTextureGroup) {
    const std::vector<float> before(viewer.model.verts.begin(), viewer.model.verts.end());
    const std::string path = WriteBin("model.dat", 7.0f);
    DoCommand(viewer, CommandId::TexTGA, shell);
    DisturbCamera();
    shell = ScriptedShell{};
    shell.yesNoAnswers = {false};
    const LoadResult result = OpenModel(viewer, path, shell);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(shell.progressBegins, 0);
    EXPECT_EQ(std::vector<float>(viewer.model.verts.begin(), viewer.model.verts.end()), before);
    EXPECT_TRUE(CameraIsReset());
    EXPECT_EQ(viewer.checkedTexture, CommandId::TexModelsOwn);  // the default cube, kept, has its own texture
    EXPECT_EQ(shell.repaints, 1);
}

TEST_F(OpenModelTest, CancelledDialogOnlyRepaints) {
    DoCommand(viewer, CommandId::TexDDS, shell);
    DisturbCamera();
    const std::uint32_t verts = viewer.model.numVerts;
    shell = ScriptedShell{};
    shell.dialogAnswers = {std::nullopt};
    EXPECT_TRUE(DoCommand(viewer, CommandId::Open, shell));
    EXPECT_EQ(shell.dialogs, 1);
    EXPECT_EQ(shell.repaints, 1);
    EXPECT_FALSE(CameraIsReset());
    EXPECT_EQ(viewer.checkedTexture, CommandId::TexDDS);
    EXPECT_EQ(viewer.textureMode, TextureMode::Dds);
    EXPECT_EQ(viewer.model.numVerts, verts);
}

TEST_F(OpenModelTest, OpenCommandLoadsThePickedFile) {
    shell.dialogAnswers = {WriteBin("picked.bin", 9.0f, 1)};
    EXPECT_TRUE(DoCommand(viewer, CommandId::Open, shell));
    ASSERT_EQ(viewer.model.numVerts, 3u);
    EXPECT_EQ(viewer.model.verts[0], 9.0f);
    // A BIN model that declares a texture selects the model's own mode, with no image of its own.
    EXPECT_EQ(viewer.checkedTexture, CommandId::TexModelsOwn);
    EXPECT_EQ(viewer.textureMode, TextureMode::ModelsOwn);
    EXPECT_EQ(viewer.textures.own.Name(), 0u);
    EXPECT_EQ(shell.repaints, 1);
    RenderFrame(viewer);
}

TEST_F(OpenModelTest, FailedLoadsKeepThePreviousModelAndSayWhy) {
    ASSERT_TRUE(OpenModel(viewer, WriteBin("good.bin", 2.0f), shell).ok);
    const std::string missing = (dir_.Path() / "missing.xml").string();
    const std::string broken = WriteText("broken.xml", "<mesh><numVerts>3</numVerts><vertList><vertex>");
    const std::string truncated = WriteText("truncated.bin", std::string("\x03\0\0\0\x01\0\0\0\0\0\0\0", 12));
    for (const std::string& path : {missing, broken, truncated}) {
        SCOPED_TRACE(path);
        DisturbCamera();
        shell = ScriptedShell{};
        const LoadResult result = OpenModel(viewer, path, shell);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.cancelled);
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].caption, "Error");
        EXPECT_NE(shell.messages[0].text.find(path), std::string::npos) << shell.messages[0].text;
        EXPECT_NE(shell.messages[0].text.find(result.reason), std::string::npos) << shell.messages[0].text;
        ASSERT_EQ(viewer.model.numVerts, 3u);
        EXPECT_EQ(viewer.model.verts[0], 2.0f);
        EXPECT_TRUE(CameraIsReset());
        EXPECT_EQ(shell.repaints, 1);
    }
}

TEST_F(OpenModelTest, ACancelledLoadKeepsThePreviousModelQuietly) {
    ASSERT_TRUE(OpenModel(viewer, WriteBin("first.bin", 2.0f), shell).ok);
    shell = ScriptedShell{};
    shell.cancelAtUpdate = 1;
    const LoadResult result = OpenModel(viewer, WriteBin("second.bin", 3.0f), shell);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_GE(shell.progressUpdates, 1);
    EXPECT_EQ(shell.progressEnds, 1);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(viewer.model.verts[0], 2.0f);
}

// Whatever item was checked before, the model opened under "BMP" looks as
// if BMP had been picked by hand.
TEST_F(OpenModelTest, TheOpenedModelShowsTheBmpItemItChecks) {
    const std::string plain = WriteText("plain.xml", TriangleXML(-3.0f));
    for (const CommandId before :
         {CommandId::TexBMPCubemap, CommandId::TexDDSCubemap, CommandId::TexOff, CommandId::TexTGA, CommandId::TexDDS,
          CommandId::TexBMPCompressed, CommandId::TexBMP}) {
        SCOPED_TRACE(static_cast<int>(before));
        DoCommand(viewer, before, shell);
        ASSERT_TRUE(OpenModel(viewer, plain, shell).ok);
        EXPECT_EQ(viewer.checkedTexture, CommandId::TexBMP);
        RenderFrame(viewer);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const RgbaImage opened = TestContext().ReadPixels();

        DoCommand(viewer, CommandId::TexBMP, shell);
        RenderFrame(viewer);
        EXPECT_TRUE(TestContext().ReadPixels().pixels == opened.pixels) << "a different picture";
    }
    EXPECT_TRUE(shell.messages.empty());
}

// Fit shows a model at one size and place whatever its own. F's model stays
// so through reloads of its file, however much it grew and moved there, and
// through a failed open; a model opened after it shows as its file has it.
TEST_F(OpenModelTest, FitHoldsThroughReloadsUntilAnotherModelIsOpened) {
    const Mesh small = Triangle(2.0f, 0);
    Mesh moved = Triangle(2.0f, 0);
    for (float& v : moved.verts) v = 3.0f * v + 10.0f;

    const std::string path = WriteMesh("fitted.bin", small);
    ASSERT_TRUE(OpenModel(viewer, path, shell).ok);
    KeyDown(viewer, ViewerKey::F, shell);
    const std::vector<float> fitted = Positions(viewer.model);
    ASSERT_NE(fitted, Positions(small));
    const auto expectFitted = [&] {
        const std::vector<float> shown = Positions(viewer.model);
        ASSERT_EQ(shown.size(), fitted.size());
        for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_NEAR(shown[i], fitted[i], 1e-4f) << i;
    };

    WriteMesh("fitted.bin", moved);
    ASSERT_TRUE(ReloadModel(viewer, shell).ok);
    expectFitted();
    EXPECT_FALSE(OpenModel(viewer, (dir_.Path() / "missing.bin").string(), shell).ok);
    ASSERT_TRUE(ReloadModel(viewer, shell).ok);
    expectFitted();

    const std::string other = WriteMesh("other.bin", small);
    ASSERT_TRUE(OpenModel(viewer, other, shell).ok);
    EXPECT_EQ(Positions(viewer.model), Positions(small));
    WriteMesh("other.bin", moved);
    ASSERT_TRUE(ReloadModel(viewer, shell).ok);
    EXPECT_EQ(Positions(viewer.model), Positions(moved));
}

// A reload that takes away the texture of a model shown under Model's Own
// falls back as opening a model without one does: BMP checked, and the
// picture of picking BMP by hand, whatever test image was loaded before.
TEST_F(OpenModelTest, AReloadThatTakesTheOwnTextureAwayFallsBackToBmp) {
    for (const CommandId before :
         {CommandId::TexBMPCubemap, CommandId::TexDDSCubemap, CommandId::TexOff, CommandId::TexTGA, CommandId::TexDDS,
          CommandId::TexBMPCompressed, CommandId::TexBMP}) {
        SCOPED_TRACE(static_cast<int>(before));
        DoCommand(viewer, before, shell);
        ASSERT_TRUE(OpenModel(viewer, WriteBin("own.bin", -3.0f, 1), shell).ok);
        ASSERT_EQ(viewer.checkedTexture, CommandId::TexModelsOwn);

        WriteBin("own.bin", -3.0f, 0);
        shell = ScriptedShell{};
        ASSERT_TRUE(ReloadModel(viewer, shell).ok);
        EXPECT_EQ(viewer.checkedTexture, CommandId::TexBMP);
        EXPECT_EQ(viewer.textureMode, TextureMode::Bmp);
        EXPECT_EQ(shell.repaints, 1);
        RenderFrame(viewer);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const RgbaImage reloaded = TestContext().ReadPixels();

        DoCommand(viewer, CommandId::TexBMP, shell);
        RenderFrame(viewer);
        EXPECT_TRUE(TestContext().ReadPixels().pixels == reloaded.pixels) << "a different picture";
    }
    EXPECT_TRUE(shell.messages.empty());
}

// A format whose textures load while it is read (XML) is not read ahead
// without GL: each texture it names is loaded, and a failure reported, as
// opening it would.
TEST_F(OpenModelTest, ReadAheadOfAnXmlModelLoadsEachTextureItNames) {
    std::string xml = TriangleXML(2.0f);
    xml.insert(xml.find("<vertList>"),
               "<numTextures>1</numTextures><textureList><texture>no-such-texture.bmp</texture>"
               "<texture>Assets/crate.bmp</texture></textureList>");
    const std::string path = WriteText("two-textures.xml", xml);
    ModelReadAhead ahead(path, {});
    const LoadResult result = ahead.Open(viewer, shell);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(viewer.model.verts[0], 2.0f);
    EXPECT_EQ(shell.messages.size(), 1u);  // the missing first texture, which a later one replaces
}

}  // namespace
