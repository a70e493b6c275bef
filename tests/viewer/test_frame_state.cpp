// What a frame sets in GL before it draws: the projection and the view that
// the frustum and the camera give, and the options the Viewer holds; and the
// textures a new context gets again.
#include <cmath>
#include <string>
#include <vector>

#include "math/camera.h"
#include "viewer_fixture.h"

namespace {

Mat4f Read(GLenum which) {
    Mat4f m;
    glGetFloatv(which, m.m.data());
    return m;
}

GLint Integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

using FrameStateTest = ViewerTest;

TEST_F(FrameStateTest, ResizeLoadsTheFrustumsProjectionAndTheFrameTheCamerasView) {
    glMatrixMode(GL_MODELVIEW);
    ResizeViewport(viewer, 400, 300);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    const double t = std::tan(17.5 * 3.141592653589793 / 180.0);
    const double r = t * 4.0 / 3.0;
    const Mat4f p = Read(GL_PROJECTION_MATRIX);
    // glFrustum(-r, r, -t, t, 1, 100)
    EXPECT_NEAR(p[0], 1.0 / r, 1e-5);
    EXPECT_NEAR(p[5], 1.0 / t, 1e-5);
    EXPECT_NEAR(p[10], -101.0 / 99.0, 1e-5);
    EXPECT_NEAR(p[11], -1.0, 1e-6);
    EXPECT_NEAR(p[14], -200.0 / 99.0, 1e-5);
    EXPECT_EQ(p[15], 0.0f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], viewer.frustum.Projection()[i]) << i;

    viewer.camera.Strafe(2.0f);  // eye to (-2, 0, 20)
    PushModelView(viewer);
    const Mat4f m = Read(GL_MODELVIEW_MATRIX);
    glPopMatrix();
    EXPECT_EQ(m[12], 2.0f);
    EXPECT_EQ(m[13], 0.0f);
    EXPECT_EQ(m[14], -20.0f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], viewer.camera.ViewMatrix()[i]) << i;
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), 1);
}

// What a context holds before anyone sets anything: the defaults GL
// specifies, which differ from the viewer's state in every option.
void LeaveContextAsNew() {
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    for (const GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL, GL_CULL_FACE, GL_TEXTURE_2D})
        glDisable(cap);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glFrontFace(GL_CCW);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

struct OptionCase {
    const char* name;
    std::vector<CommandId> picks;
};

// Qt makes a new context when the window moves to another screen or window:
// the viewer releases its textures in the old one (ShutdownScene), and the
// new one, which holds none of the viewer's state, is set up again by
// RestoreScene. Each case picks options that the new context's defaults
// would lose, on a model with a texture of its own.
TEST_F(FrameStateTest, ANewContextDrawsThePictureOfTheOldOne) {
    ASSERT_TRUE(OpenModel(viewer, TESSA_SOURCE_DIR "/Assets/examples/sphere.xml", shell).ok);
    ASSERT_EQ(viewer.textureMode, TextureMode::ModelsOwn);
    const std::uint32_t verts = viewer.model.numVerts;
    viewer.modelRotY = 30.0f;
    const OptionCase cases[] = {
        {"own_texture_unlit_clockwise", {CommandId::LightOff, CommandId::WindingCW}},
        {"tga_wireframe_unculled", {CommandId::TexTGA, CommandId::RenderWireframe, CommandId::CullOff}},
        {"cubemap_lit", {CommandId::TexBMPCubemap, CommandId::LightOn, CommandId::RenderSolid}},
        {"untextured", {CommandId::TexOff}},
    };
    for (const OptionCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const CommandId id : c.picks) ASSERT_TRUE(DoCommand(viewer, id, shell));
        RenderFrame(viewer);
        const RgbaImage before = TestContext().ReadPixels();

        const unsigned testTexture = viewer.testTexture, ownTexture = viewer.textures.own.Name();
        ShutdownScene(viewer);
        EXPECT_FALSE(glIsTexture(testTexture));
        EXPECT_FALSE(glIsTexture(ownTexture));
        LeaveContextAsNew();
        RestoreScene(viewer, shell);
        // The model and the options are the viewer's: nothing was read again.
        EXPECT_EQ(viewer.model.numVerts, verts);
        EXPECT_NE(viewer.textures.own.Name(), 0u);
        EXPECT_EQ(viewer.testTexture != 0, HasTestImage(viewer.textureMode));
        RenderFrame(viewer);
        const RgbaImage after = TestContext().ReadPixels();
        EXPECT_TRUE(after.pixels == before.pixels);
        if (after.pixels != before.pixels) {
            SaveTestImage(before, std::string("new_context_before_") + c.name);
            SaveTestImage(after, std::string("new_context_after_") + c.name);
        }
    }
    EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
}

}  // namespace
