// Frames of the default model on the headless context: where the cube is,
// and how the texture modes and the render options change the picture.
// The pictures are saved under the build folder's test-output/ for a person to look at.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "math/camera.h"
#include "mesh/mesh.h"
#include "support/temp_dir.h"
#include "textures/dds_image.h"
#include "textures/encode/image_encoders.h"
#include "textures/gl_block_codec.h"
#include "textures/gl_texture_checks.h"
#include "textures/texture_upload.h"
#include "viewer_fixture.h"

namespace {

// The clear colour (0.2, 0.2, 0.4) in 8 bits.
constexpr int kClearR = 51, kClearG = 51, kClearB = 102;

bool IsClear(const std::uint8_t* p) { return NearColor(p, kClearR, kClearG, kClearB, 1); }

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    int pixels = 0;
};

// The pixels that are not the clear colour, and the box around them.
Box ModelPixels(const RgbaImage& image) {
    Box box;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (IsClear(image.At(x, y))) continue;
            ++box.pixels;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    }
    return box;
}

// Mean absolute difference per channel over the whole picture.
double MeanDifference(const RgbaImage& a, const RgbaImage& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); i += 4)
        for (int c = 0; c < 3; ++c) sum += std::abs(a.pixels[i + c] - b.pixels[i + c]);
    return sum / (3.0 * a.width * a.height);
}

class PictureTest : public ViewerTest {
protected:
    RgbaImage Frame(const std::string& name) {
        RenderFrame(viewer);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        RgbaImage image = TestContext().ReadPixels();
        SaveTestImage(image, "viewer_" + name);
        return image;
    }
};

TEST_F(PictureTest, DefaultModelIsACentredTexturedCube) {
    const RgbaImage image = Frame("default");
    for (const auto& [x, y] : {std::pair{0, 0}, {kSize - 1, 0}, {0, kSize - 1}, {kSize - 1, kSize - 1}})
        EXPECT_TRUE(NearColor(image.At(x, y), kClearR, kClearG, kClearB, 1)) << x << "," << y;
    const Box box = ModelPixels(image);
    ASSERT_GT(box.pixels, 0);
    // Centred: the box is symmetric about the middle within a few pixels,
    // and takes a good part of the frame without touching its edges.
    EXPECT_NEAR(box.left + box.right, kSize - 1, 4);
    EXPECT_NEAR(box.top + box.bottom, kSize - 1, 4);
    EXPECT_GT(box.right - box.left, kSize / 4);
    EXPECT_GT(box.left, 0);
    EXPECT_GT(box.top, 0);
    // Textured: the face towards the eye is not of one colour.
    const Box centre{kSize / 2 - 20, kSize / 2 - 20, kSize / 2 + 20, kSize / 2 + 20};
    int minSum = 3 * 255, maxSum = 0;
    for (int y = centre.top; y <= centre.bottom; ++y) {
        for (int x = centre.left; x <= centre.right; ++x) {
            const std::uint8_t* p = image.At(x, y);
            EXPECT_FALSE(IsClear(p));
            minSum = std::min(minSum, p[0] + p[1] + p[2]);
            maxSum = std::max(maxSum, p[0] + p[1] + p[2]);
        }
    }
    EXPECT_GT(maxSum - minSum, 30);
}

TEST_F(PictureTest, EachKindOfTextureGivesItsOwnPicture) {
    // The test assets hold one sphere-map picture (as BMP, TGA and DDS) and
    // one environment (as BMP and DDS cube faces); the model has its own
    // crate picture. Modes showing the same picture agree within the loss
    // of compression; different pictures differ clearly.
    struct Mode {
        CommandId id;
        const char* name;
        int family;  // 0 off, 1 sphere map, 2 cube map, 3 the model's own
    };
    const Mode modes[] = {{CommandId::TexOff, "off", 0},
                          {CommandId::TexBMP, "bmp", 1},
                          {CommandId::TexBMPCompressed, "bmp_compressed", 1},
                          {CommandId::TexTGA, "tga", 1},
                          {CommandId::TexTGACompressed, "tga_compressed", 1},
                          {CommandId::TexDDS, "dds", 1},
                          {CommandId::TexBMPCubemap, "bmp_cubemap", 2},
                          {CommandId::TexDDSCubemap, "dds_cubemap", 2},
                          {CommandId::TexModelsOwn, "models_own", 3}};
    ASSERT_NE(viewer.model.GetNumTextures(), 0u) << "the default viewer.model names a texture of its own";
    std::vector<RgbaImage> images;
    for (const Mode& mode : modes) {
        DoCommand(viewer, mode.id, shell);
        images.push_back(Frame(std::string("texture_") + mode.name));
        EXPECT_EQ(ModelPixels(images.back()).pixels, ModelPixels(images.front()).pixels)
            << mode.name << ": the texture changes the colours, not the outline";
    }
    EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
    for (std::size_t i = 0; i < images.size(); ++i) {
        for (std::size_t j = i + 1; j < images.size(); ++j) {
            const double difference = MeanDifference(images[i], images[j]);
            if (modes[i].family == modes[j].family)
                EXPECT_LT(difference, 4.0) << modes[i].name << " vs " << modes[j].name;
            else
                EXPECT_GT(difference, 15.0) << modes[i].name << " vs " << modes[j].name;
        }
    }
}

// Mean of blue minus red over a patch around (x, y).
double Blueness(const RgbaImage& image, int x, int y) {
    double sum = 0;
    int count = 0;
    for (int py = y - 4; py <= y + 4; ++py) {
        for (int px = x - 8; px <= x + 8; ++px) {
            const std::uint8_t* p = image.At(px, py);
            sum += p[2] - p[0];
            ++count;
        }
    }
    return sum / count;
}

TEST_F(PictureTest, EveryTestImageShowsSkyAtTheTop) {
    // On a sphere the sphere and cube maps show their sky above and their
    // ground below: a reader or flip that turned an image over shows it.
    ASSERT_TRUE(OpenModel(viewer, std::string(TESSA_SOURCE_DIR) + "/Assets/examples/sphere.xml", shell).ok);
    const struct {
        CommandId id;
        const char* name;
    } modes[] = {{CommandId::TexBMP, "bmp"},
                 {CommandId::TexBMPCompressed, "bmp_compressed"},
                 {CommandId::TexTGA, "tga"},
                 {CommandId::TexTGACompressed, "tga_compressed"},
                 {CommandId::TexDDS, "dds"},
                 {CommandId::TexBMPCubemap, "bmp_cubemap"},
                 {CommandId::TexDDSCubemap, "dds_cubemap"}};
    for (const auto& mode : modes) {
        DoCommand(viewer, mode.id, shell);
        const RgbaImage image = Frame(std::string("sphere_") + mode.name);
        const Box box = ModelPixels(image);
        ASSERT_GT(box.pixels, 0) << mode.name;
        const int x = (box.left + box.right) / 2, y = (box.top + box.bottom) / 2;
        const int dy = (box.bottom - box.top) * 3 / 10;  // image rows count from the top
        EXPECT_GT(Blueness(image, x, y - dy), Blueness(image, x, y + dy) + 20) << mode.name << " upside down";
    }
    EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
}

// A committed DDS asset as a BC7 file (DX10 header), its picture
// compressed by the GL's encoder from the asset's top row down.
Bytes AsBC7File(const std::string& asset) {
    const ReadResult<DDSImage> read = ReadDDS(std::string(TESSA_SOURCE_DIR) + "/Assets/" + asset);
    EXPECT_TRUE(read) << read.reason;
    if (!read) return {};
    const DDSTexture& base = read.value.GetImage(0);
    const int w = base.GetWidth(), h = base.GetHeight();
    const TextureName name;
    glBindTexture(GL_TEXTURE_2D, name.get());
    glCompressedTexImage2D(GL_TEXTURE_2D, 0, read.value.GetDDSFormat()->glInternalFormat, w, h, 0, base.GetSize(),
                           base.GetPixels().data());
    // The reader hands rows bottom first; the encoder gets them top first.
    const std::vector<std::uint8_t> topFirst = ReversedRows(ReadRgba(GL_TEXTURE_2D, GL_UNSIGNED_BYTE, w, h), 4u * w);
    const std::vector<std::uint8_t> blocks =
        EncodeBlocksWithGL(GL_COMPRESSED_RGBA_BPTC_UNORM, topFirst, GL_UNSIGNED_BYTE, w, h);
    return EncodeDDS({.width = static_cast<std::uint32_t>(w), .height = static_cast<std::uint32_t>(h), .fourCC = "DX10",
                      .dxgiFormat = 98},
                     blocks);
}

// BC7 test images are loaded as stored, top row first: drawn with t
// flipped they show what the committed assets show.
TEST_F(PictureTest, TopDownTestImagesAreDrawnTheRightWayUp) {
    ASSERT_TRUE(OpenModel(viewer, std::string(TESSA_SOURCE_DIR) + "/Assets/examples/sphere.xml", shell).ok);
    const TempDir assets;
    for (const char* file : {"spheremap.dds", "cube_face_posx.dds", "cube_face_negx.dds", "cube_face_posy.dds",
                             "cube_face_negy.dds", "cube_face_posz.dds", "cube_face_negz.dds"})
        assets.Write(std::string("Assets/") + file, AsBC7File(file));
    for (const auto& [id, name] : {std::pair{CommandId::TexDDS, "dds"}, {CommandId::TexDDSCubemap, "dds_cubemap"}}) {
        viewer.startupDir = TESSA_SOURCE_DIR;
        DoCommand(viewer, id, shell);
        EXPECT_FALSE(viewer.testTextureTopDown);
        const RgbaImage committed = Frame(std::string("sphere_") + name);
        viewer.startupDir = assets.Path().string();
        DoCommand(viewer, id, shell);
        EXPECT_TRUE(viewer.testTextureTopDown) << name;
        const RgbaImage bc7 = Frame(std::string("sphere_bc7_") + name);
        EXPECT_LT(MeanDifference(bc7, committed), 4.0) << name;
        const Box box = ModelPixels(bc7);
        const int x = (box.left + box.right) / 2, y = (box.top + box.bottom) / 2;
        const int dy = (box.bottom - box.top) * 3 / 10;
        EXPECT_GT(Blueness(bc7, x, y - dy), Blueness(bc7, x, y + dy) + 20) << name << " upside down";
        // The texture matrix is put back.
        GLfloat matrix[16];
        glGetFloatv(GL_TEXTURE_MATRIX, matrix);
        EXPECT_EQ(matrix[5], 1.0f) << name;
    }
    EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
}

TEST_F(PictureTest, CubeMapFramesLeaveTheTextureStateAsTheyFoundIt) {
    DoCommand(viewer, CommandId::TexBMPCubemap, shell);
    Frame("cubemap_state");
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    for (const GLenum gen : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) EXPECT_FALSE(glIsEnabled(gen));
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(PictureTest, WireframeDrawsOnlyTheEdges) {
    const Box solid = ModelPixels(Frame("solid"));
    DoCommand(viewer, CommandId::RenderWireframe, shell);
    const Box wire = ModelPixels(Frame("wireframe"));
    EXPECT_LT(wire.pixels, solid.pixels / 3);
    // The outline stays where it was.
    EXPECT_NEAR(wire.left, solid.left, 2);
    EXPECT_NEAR(wire.right, solid.right, 2);
}

TEST_F(PictureTest, LightingOffChangesTheShading) {
    DoCommand(viewer, CommandId::TexOff, shell);
    // Turned, so that the faces in view are lit at an angle.
    viewer.modelRotY = 40.0f;
    const RgbaImage lit = Frame("lit_untextured");
    DoCommand(viewer, CommandId::LightOff, shell);
    const RgbaImage unlit = Frame("unlit_untextured");
    EXPECT_EQ(ModelPixels(lit).pixels, ModelPixels(unlit).pixels);
    // Untextured and unlit, every face is the plain white of the current
    // colour; lit from the eye, a face at about 40 degrees is a light grey.
    const int x = kSize / 2 + 20, y = kSize / 2;
    EXPECT_TRUE(NearColor(unlit.At(x, y), 255, 255, 255, 0));
    const std::uint8_t* p = lit.At(x, y);
    EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]);
    EXPECT_GT(p[0], 160);
    EXPECT_LT(p[0], 240);
}

TEST_F(PictureTest, FlippedWindingShowsTheInsideOnlyWhileCulling) {
    const RgbaImage normal = Frame("ccw_culled");
    DoCommand(viewer, CommandId::WindingCW, shell);
    const RgbaImage inside = Frame("cw_culled");
    // The faces towards the eye are culled: the far faces' inner sides show,
    // lit from behind and therefore dark.
    EXPECT_GT(MeanDifference(normal, inside), 5.0);
    const std::uint8_t* p = inside.At(kSize / 2, kSize / 2);
    EXPECT_LT(p[0] + p[1] + p[2], 60);

    DoCommand(viewer, CommandId::CullOff, shell);
    const RgbaImage unculled = Frame("cw_unculled");
    // Without culling the depth test keeps the near faces: the first picture again.
    EXPECT_LT(MeanDifference(normal, unculled), 0.5);
}

TEST_F(PictureTest, DragAndKeysMoveThePicture) {
    const RgbaImage before = Frame("before_drag");
    MouseDown(viewer, MouseButton::Left, 100, 100);
    MouseMove(viewer, 140, 120, shell);
    MouseUp(viewer);
    const RgbaImage turned = Frame("after_drag");
    EXPECT_GT(MeanDifference(before, turned), 2.0);

    DoCommand(viewer, CommandId::ResetCamera, shell);
    for (int i = 0; i < 5; ++i) KeyDown(viewer, ViewerKey::Down, shell);
    const Box far = ModelPixels(Frame("moved_back"));
    EXPECT_LT(far.pixels, ModelPixels(before).pixels);
}

TEST_F(PictureTest, ZeroHeightViewportIsSafe) {
    ResizeViewport(viewer, kSize, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    ResizeViewport(viewer, 0, kSize);
    RenderFrame(viewer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace

namespace {

// Pixels of the normals' yellow.
int NormalLinePixels(const RgbaImage& image) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) count += NearColor(image.At(x, y), 255, 255, 0, 8) ? 1 : 0;
    return count;
}

// Show Normals draws each vertex's normal as a line out of the model, a
// tenth of its radius long, in yellow, whatever the options; off, none.
TEST_F(PictureTest, ShowNormalsDrawsALineOutOfEachVertex) {
    // Turned, so that the normals of the faces in view stand out of them.
    viewer.modelRotX = 20.0f;
    viewer.modelRotY = 30.0f;
    const RgbaImage plain = Frame("normals_off");
    EXPECT_EQ(NormalLinePixels(plain), 0);
    ASSERT_TRUE(DoCommand(viewer, CommandId::ShowNormals, shell));
    EXPECT_TRUE(IsCheckedItem(viewer, CommandId::ShowNormals));
    const RgbaImage lines = Frame("normals_on");
    const int shown = NormalLinePixels(lines);
    EXPECT_GT(shown, 20);
    // Outside the cube's own outline too: the lines stand out of it.
    EXPECT_GT(ModelPixels(lines).pixels, ModelPixels(plain).pixels);
    // The same with the light off, in wireframe and with a test texture.
    for (const CommandId id : {CommandId::LightOff, CommandId::RenderWireframe, CommandId::TexBMPCubemap}) {
        DoCommand(viewer, id, shell);
        EXPECT_GT(NormalLinePixels(Frame("normals_options")), 20) << static_cast<int>(id);
    }
    // Longer on a bigger model: twice the size, about twice the lines.
    viewer.model.Scale(2.0f);
    DoCommand(viewer, CommandId::RenderSolid, shell);
    viewer.camera.MoveForward(-20.0f);  // the same picture size at twice the distance
    viewer.frustum.Update(viewer.camera);
    EXPECT_NEAR(NormalLinePixels(Frame("normals_bigger")), shown, shown / 4);
    ASSERT_TRUE(DoCommand(viewer, CommandId::ShowNormals, shell));
    EXPECT_FALSE(IsCheckedItem(viewer, CommandId::ShowNormals));
    EXPECT_EQ(NormalLinePixels(Frame("normals_off_again")), 0);
}

}  // namespace
