// The menu commands on the real GL context: the GL state their frames set,
// the option groups, and the start state the scene set-up leaves.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "math/camera.h"
#include "mesh/mesh.h"
#include "support/temp_dir.h"
#include "viewer_fixture.h"

namespace {

bool Enabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }

std::array<GLint, 2> PolygonMode() {
    std::array<GLint, 2> mode{};
    glGetIntegerv(GL_POLYGON_MODE, mode.data());
    return mode;
}

GLint Integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

using CommandsTest = ViewerTest;

TEST_F(CommandsTest, SceneSetUpLeavesTheStartState) {
    EXPECT_TRUE(Enabled(GL_DEPTH_TEST));
    EXPECT_TRUE(Enabled(GL_CULL_FACE));
    EXPECT_TRUE(Enabled(GL_LIGHTING));
    EXPECT_TRUE(Enabled(GL_LIGHT0));
    EXPECT_TRUE(Enabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(Enabled(GL_TEXTURE_2D));
    EXPECT_FALSE(Enabled(GL_TEXTURE_GEN_S));
    EXPECT_EQ(Integer(GL_COLOR_MATERIAL_FACE), GL_FRONT);
    EXPECT_EQ(Integer(GL_COLOR_MATERIAL_PARAMETER), GL_DIFFUSE);

    std::array<GLfloat, 4> clear{}, diffuse{}, ambient{}, position{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_EQ(clear, (std::array<GLfloat, 4>{0.2f, 0.2f, 0.4f, 0.0f}));
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse.data());
    EXPECT_EQ(diffuse, (std::array<GLfloat, 4>{0.85f, 0.85f, 0.85f, 0.0f}));
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient.data());
    EXPECT_EQ(ambient, (std::array<GLfloat, 4>{}));
    // Given with an identity model-view: the light sits at the eye.
    glGetLightfv(GL_LIGHT0, GL_POSITION, position.data());
    EXPECT_EQ(position, (std::array<GLfloat, 4>{0.0f, 0.0f, 0.0f, 1.0f}));

    // The default model is there, scaled up, and the texture group matches it.
    ASSERT_GT(viewer.model.numVerts, 0u);
    ASSERT_GT(viewer.model.numFaces, 0);
    EXPECT_NE(viewer.testTexture, 0u);
    // The default cube has a texture of its own.
    EXPECT_EQ(viewer.checkedTexture, CommandId::TexModelsOwn);
    EXPECT_EQ(viewer.textureMode, TextureMode::ModelsOwn);
    for (std::size_t i = 0; i < 3 * std::size_t{viewer.model.numVerts}; i += 3) {
        const float* n = &viewer.model.normals[i];
        EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5f) << "normal of vertex " << i / 3;
    }
    Vec3f eye;
    viewer.camera.GetOrigin(eye);
    EXPECT_EQ(eye.z, 20.0f);
}

struct TextureCase {
    CommandId id;
    TextureMode mode;
    GLenum target;  // where the reloaded test texture is bound; 0: no reload
};

TEST_F(CommandsTest, TextureItemsSetTheModeAndReloadOnlyImageModes) {
    const TextureCase cases[] = {
        {CommandId::TexBMP, TextureMode::Bmp, GL_TEXTURE_BINDING_2D},
        {CommandId::TexBMPCompressed, TextureMode::BmpCompressed, GL_TEXTURE_BINDING_2D},
        {CommandId::TexBMPCubemap, TextureMode::BmpCubemap, GL_TEXTURE_BINDING_CUBE_MAP},
        {CommandId::TexTGA, TextureMode::Tga, GL_TEXTURE_BINDING_2D},
        {CommandId::TexTGACompressed, TextureMode::TgaCompressed, GL_TEXTURE_BINDING_2D},
        {CommandId::TexDDS, TextureMode::Dds, GL_TEXTURE_BINDING_2D},
        {CommandId::TexDDSCubemap, TextureMode::DdsCubemap, GL_TEXTURE_BINDING_CUBE_MAP},
        {CommandId::TexModelsOwn, TextureMode::ModelsOwn, 0},
        {CommandId::TexOff, TextureMode::Off, 0},
    };
    for (const TextureCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.id));
        // Start from a known test texture bound nowhere.
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        const int repaints = shell.repaints;
        const unsigned before = viewer.testTexture;

        EXPECT_TRUE(DoCommand(viewer, c.id, shell));
        EXPECT_EQ(viewer.checkedTexture, c.id);
        EXPECT_EQ(viewer.textureMode, c.mode);
        EXPECT_EQ(shell.repaints, repaints + 1);
        EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
        if (c.target != 0) {
            // The loader bound the fresh name to the mode's target.
            EXPECT_EQ(static_cast<unsigned>(Integer(c.target)), viewer.testTexture);
            EXPECT_TRUE(glIsTexture(viewer.testTexture));
        } else {
            EXPECT_EQ(viewer.testTexture, before);
            EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 0);
        }
        // Whatever the mode, a frame draws without GL errors, and texturing is on but for Off.
        RenderFrame(viewer);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(Enabled(GL_TEXTURE_2D), c.mode != TextureMode::Off);
    }
}

// A command sets the viewer's options; the frame that follows puts them in GL.
TEST_F(CommandsTest, TwoWayGroupsSwitchTheirState) {
    const auto pickAndDraw = [this](CommandId id) {
        const bool done = DoCommand(viewer, id, shell);
        RenderFrame(viewer);
        return done;
    };
    EXPECT_TRUE(pickAndDraw(CommandId::LightOff));
    EXPECT_FALSE(Enabled(GL_LIGHTING));
    EXPECT_EQ(viewer.checkedLight, CommandId::LightOff);
    EXPECT_TRUE(pickAndDraw(CommandId::LightOn));
    EXPECT_TRUE(Enabled(GL_LIGHTING));
    EXPECT_EQ(viewer.checkedLight, CommandId::LightOn);

    EXPECT_TRUE(pickAndDraw(CommandId::RenderWireframe));
    EXPECT_EQ(PolygonMode(), (std::array<GLint, 2>{GL_LINE, GL_LINE}));
    EXPECT_EQ(viewer.checkedRenderMode, CommandId::RenderWireframe);
    EXPECT_TRUE(pickAndDraw(CommandId::RenderSolid));
    EXPECT_EQ(PolygonMode(), (std::array<GLint, 2>{GL_FILL, GL_FILL}));
    EXPECT_EQ(viewer.checkedRenderMode, CommandId::RenderSolid);

    EXPECT_TRUE(pickAndDraw(CommandId::CullOff));
    EXPECT_FALSE(Enabled(GL_CULL_FACE));
    EXPECT_EQ(viewer.checkedCulling, CommandId::CullOff);
    EXPECT_TRUE(pickAndDraw(CommandId::CullOn));
    EXPECT_TRUE(Enabled(GL_CULL_FACE));

    EXPECT_TRUE(pickAndDraw(CommandId::WindingCW));
    EXPECT_EQ(Integer(GL_FRONT_FACE), GL_CW);
    EXPECT_EQ(viewer.checkedWinding, CommandId::WindingCW);
    EXPECT_TRUE(pickAndDraw(CommandId::WindingCCW));
    EXPECT_EQ(Integer(GL_FRONT_FACE), GL_CCW);
    // Picking the checked item again changes nothing.
    EXPECT_TRUE(pickAndDraw(CommandId::WindingCCW));
    EXPECT_EQ(Integer(GL_FRONT_FACE), GL_CCW);
    EXPECT_EQ(viewer.checkedWinding, CommandId::WindingCCW);

    EXPECT_EQ(shell.repaints, 9);
    // The groups are independent of each other.
    EXPECT_EQ(viewer.checkedLight, CommandId::LightOn);
    EXPECT_EQ(viewer.checkedRenderMode, CommandId::RenderSolid);
}

TEST_F(CommandsTest, CheckedItemsAreTheGroupGlobals) {
    DoCommand(viewer, CommandId::RenderWireframe, shell);
    DoCommand(viewer, CommandId::TexTGA, shell);
    for (const CommandId id :
         {CommandId::RenderWireframe, CommandId::TexTGA, CommandId::LightOn, CommandId::CullOn, CommandId::WindingCCW})
        EXPECT_TRUE(IsCheckedItem(viewer, id)) << static_cast<int>(id);
    for (const CommandId id : {CommandId::RenderSolid, CommandId::TexBMP, CommandId::LightOff, CommandId::CullOff,
                               CommandId::WindingCW, CommandId::Open})
        EXPECT_FALSE(IsCheckedItem(viewer, id)) << static_cast<int>(id);
    EXPECT_TRUE(IsOptionItem(CommandId::TexOff));
    EXPECT_TRUE(IsOptionItem(CommandId::WindingCW));
    for (const CommandId id : {CommandId::Open, CommandId::Exit, CommandId::FlipNormals, CommandId::ScaleUp,
                               CommandId::ResetCamera, CommandId::About})
        EXPECT_FALSE(IsOptionItem(id)) << static_cast<int>(id);
}

TEST_F(CommandsTest, ModelCommandsChangeTheGeometry) {
    ASSERT_GT(viewer.model.numVerts, 0u);
    const std::vector<float> verts(viewer.model.verts.begin(), viewer.model.verts.end());
    const std::vector<float> normals(viewer.model.normals.begin(), viewer.model.normals.end());

    EXPECT_TRUE(DoCommand(viewer, CommandId::ScaleDown, shell));
    EXPECT_TRUE(DoCommand(viewer, CommandId::ScaleUp, shell));
    // Down then up is 0.99 of the size, not the size before.
    for (std::size_t i = 0; i < verts.size(); ++i) ASSERT_NEAR(viewer.model.verts[i], verts[i] * 0.99, 1e-5) << i;
    EXPECT_EQ(std::memcmp(viewer.model.normals.data(), normals.data(), normals.size() * sizeof(float)), 0);

    EXPECT_TRUE(DoCommand(viewer, CommandId::FlipNormals, shell));
    for (std::size_t i = 0; i < normals.size(); ++i) ASSERT_EQ(viewer.model.normals[i], -normals[i]) << i;
    EXPECT_TRUE(DoCommand(viewer, CommandId::FlipNormals, shell));
    EXPECT_EQ(std::memcmp(viewer.model.normals.data(), normals.data(), normals.size() * sizeof(float)), 0);
    EXPECT_EQ(shell.repaints, 4);
}

TEST_F(CommandsTest, ResetCameraPutsTheEyeBackAndZeroesTheAngles) {
    viewer.camera.MoveUp(3.0f);
    viewer.modelRotX = 40.0f;
    viewer.modelRotY = -12.0f;
    EXPECT_TRUE(DoCommand(viewer, CommandId::ResetCamera, shell));
    Vec3f eye;
    viewer.camera.GetOrigin(eye);
    EXPECT_EQ(eye.x, 0.0f);
    EXPECT_EQ(eye.y, 0.0f);
    EXPECT_EQ(eye.z, 20.0f);
    EXPECT_EQ(viewer.modelRotX, 0.0f);
    EXPECT_EQ(viewer.modelRotY, 0.0f);
    EXPECT_EQ(shell.repaints, 1);
}

TEST_F(CommandsTest, ExitQuitsAndAboutShowsTheBox) {
    EXPECT_TRUE(DoCommand(viewer, CommandId::About, shell));
    EXPECT_EQ(shell.abouts, 1);
    EXPECT_EQ(shell.repaints, 1);
    EXPECT_TRUE(DoCommand(viewer, CommandId::Exit, shell));
    EXPECT_EQ(shell.quits, 1);
}

TEST_F(CommandsTest, UnknownIdsDoNothing) {
    for (const int id : {0, 1, 2, 103, 106, 32771, 32802, 65535, -1}) {
        EXPECT_FALSE(DoCommand(viewer, static_cast<CommandId>(id), shell)) << id;
    }
    EXPECT_EQ(shell.repaints, 0);
    EXPECT_EQ(shell.quits, 0);
    EXPECT_EQ(viewer.checkedTexture, CommandId::TexModelsOwn);
}

// Started where neither the current folder nor the start-up folder has the
// assets: both misses are reported, and the viewer goes on with no model.
TEST(ViewerStart, MissingDefaultModelAndTestTextureAreReportedAndTheViewerGoesOn) {
    const TempDir empty;
    const ScopedCurrentPath inEmpty(empty.Path());
    ASSERT_TRUE(TestContext().Resize(64, 64));
    Viewer viewer;
    viewer.startupDir = empty.Path().string();
    ScriptedShell shell;
    InitViewer(viewer, shell);
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[0].text, "Texture File Not Found (BMP)");
    EXPECT_EQ(shell.messages[1].text.rfind("Could not load the model \"", 0), 0u) << shell.messages[1].text;
    EXPECT_NE(shell.messages[1].text.find("TexturedCube.xml"), std::string::npos) << shell.messages[1].text;
    EXPECT_EQ(viewer.model.numVerts, 0u);
    EXPECT_EQ(viewer.textureMode, TextureMode::Bmp);
    EXPECT_EQ(viewer.checkedTexture, CommandId::TexBMP);
    ResizeViewport(viewer, 64, 64);
    RenderFrame(viewer);
    ShutdownScene(viewer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CommandsTest, ShutdownReleasesBothTexturesOnce) {
    const unsigned test = viewer.testTexture;
    ASSERT_TRUE(glIsTexture(test));
    ShutdownScene(viewer);
    EXPECT_FALSE(glIsTexture(test));
    EXPECT_EQ(viewer.testTexture, 0u);
    EXPECT_EQ(viewer.textures.own.Name(), 0u);
    ShutdownScene(viewer);  // a second teardown (close box after Escape) is harmless
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
