// All nine texture modes on a lit sphere, drawn with the texture state the
// frame sets for each mode, from the real test assets; saved as one contact
// sheet (texture_modes.png in the build folder's test-output/), modes 0 to 8 in rows of three.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "gl_texture_checks.h"
#include "support/image_files.h"
#include "support/recording_sink.h"
#include "support/gl_test_support.h"
#include "textures/texture_loaders.h"
#include "textures/texture_modes.h"

namespace {

constexpr int kCell = 160;

struct Sphere {
    std::vector<float> positions, normals, uvs;
    std::vector<std::uint32_t> indices;
};

// A unit sphere with counter-clockwise outer faces and u running around it.
Sphere MakeSphere(int stacks, int slices) {
    const float pi = 3.14159265f;
    Sphere s;
    for (int i = 0; i <= stacks; ++i) {
        const float theta = pi * static_cast<float>(i) / static_cast<float>(stacks);
        for (int j = 0; j <= slices; ++j) {
            const float phi = 2 * pi * static_cast<float>(j) / static_cast<float>(slices);
            const float p[3] = {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
            s.positions.insert(s.positions.end(), p, p + 3);
            s.normals.insert(s.normals.end(), p, p + 3);
            s.uvs.push_back(2.0f - 2.0f * static_cast<float>(j) / static_cast<float>(slices));
            s.uvs.push_back(1.0f - static_cast<float>(i) / static_cast<float>(stacks));
        }
    }
    const auto at = [slices](int i, int j) { return static_cast<std::uint32_t>(i * (slices + 1) + j); };
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j)
            s.indices.insert(s.indices.end(), {at(i, j), at(i + 1, j + 1), at(i + 1, j), at(i, j), at(i, j + 1),
                                               at(i + 1, j + 1)});
    return s;
}

void DrawSphere(const Sphere& s) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, s.positions.data());
    glNormalPointer(GL_FLOAT, 0, s.normals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, s.uvs.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(s.indices.size()), GL_UNSIGNED_INT, s.indices.data());
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

// The scene's fixed state: depth, culling, one white-ish light at the eye,
// colour material driving the front diffuse colour.
void SetUpScene() {
    glClearColor(0.2f, 0.2f, 0.4f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const float noLight[] = {0, 0, 0, 0};
    const float someLight[] = {0.85f, 0.85f, 0.85f, 0};
    const float lightPos[] = {0, 0, 0, 1};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_AMBIENT, noLight);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, someLight);
    glLightfv(GL_LIGHT0, GL_SPECULAR, noLight);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPos);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.5, 0.5, -0.5, 0.5, 1.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
}

void TearDownScene() {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Draws the sphere with the texture state of textureMode, as a frame does.
void DrawMode(const Sphere& sphere, int textureMode, GLuint testTexture, GLuint ownTexture) {
    glPushMatrix();
    glTranslatef(0, 0, -3.2f);
    glRotatef(20, 1, 0, 0);
    glRotatef(-30, 0, 1, 0);
    glColor3f(1, 1, 1);
    switch (textureMode) {
        case ModelsOwn:
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, ownTexture);
            DrawSphere(sphere);
            break;
        case Off: DrawSphere(sphere); break;
        case BMPCubemap:
        case DDSCubemap:
            glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
            glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
            glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
            glEnable(GL_TEXTURE_GEN_S);
            glEnable(GL_TEXTURE_GEN_T);
            glEnable(GL_TEXTURE_GEN_R);
            glDisable(GL_TEXTURE_2D);
            glEnable(GL_TEXTURE_CUBE_MAP);
            glBindTexture(GL_TEXTURE_CUBE_MAP, testTexture);
            DrawSphere(sphere);
            glDisable(GL_TEXTURE_CUBE_MAP);
            glEnable(GL_TEXTURE_2D);
            glDisable(GL_TEXTURE_GEN_S);
            glDisable(GL_TEXTURE_GEN_T);
            glDisable(GL_TEXTURE_GEN_R);
            break;
        default:
            glBindTexture(GL_TEXTURE_2D, testTexture);
            glEnable(GL_TEXTURE_GEN_S);
            glEnable(GL_TEXTURE_GEN_T);
            glEnable(GL_TEXTURE_GEN_R);
            glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
            glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
            DrawSphere(sphere);
            glDisable(GL_TEXTURE_GEN_S);
            glDisable(GL_TEXTURE_GEN_T);
            glDisable(GL_TEXTURE_GEN_R);
            break;
    }
    glPopMatrix();
}

// Mean absolute difference of two cells' RGB over the centre of the sphere.
double CentreDifference(const RgbaImage& sheet, int cellA, int cellB) {
    double sum = 0;
    int count = 0;
    for (int y = kCell / 2 - 30; y < kCell / 2 + 30; ++y)
        for (int x = kCell / 2 - 30; x < kCell / 2 + 30; ++x) {
            const std::uint8_t* a = sheet.At(cellA % 3 * kCell + x, cellA / 3 * kCell + y);
            const std::uint8_t* b = sheet.At(cellB % 3 * kCell + x, cellB / 3 * kCell + y);
            for (int c = 0; c < 3; ++c) sum += std::abs(a[c] - b[c]);
            ++count;
        }
    return sum / (3.0 * count);
}

// Mean of blue minus red over a patch of a cell, dy pixels below the sphere's centre.
double Blueness(const RgbaImage& sheet, int cell, int dy) {
    double sum = 0;
    int count = 0;
    for (int y = kCell / 2 + dy - 6; y < kCell / 2 + dy + 6; ++y)
        for (int x = kCell / 2 - 12; x < kCell / 2 + 12; ++x) {
            const std::uint8_t* p = sheet.At(cell % 3 * kCell + x, cell / 3 * kCell + y);
            sum += p[2] - p[0];
            ++count;
        }
    return sum / count;
}

TEST(TextureModesRender, AllNineModesOnASphere) {
    const std::filesystem::path root = TESSA_SOURCE_DIR;
    ASSERT_TRUE(std::filesystem::exists(root / "Assets/spheremap.bmp")) << "test assets missing";
    const std::string startupDir = root.string();
    unsigned int testTexture = 0;
    RecordingSink sink;
    const Sphere sphere = MakeSphere(32, 64);
    const TextureName own;
    ASSERT_TRUE(LoadBMPTexture((root / "Assets/crate.bmp").string(), own.get(), sink));

    HeadlessContext& context = TestContext();
    ASSERT_TRUE(context.Resize(3 * kCell, 3 * kCell));
    SetUpScene();
    glEnable(GL_SCISSOR_TEST);
    for (int mode = Off; mode <= ModelsOwn; ++mode) {
        const int x = mode % 3 * kCell;
        // Cells go top row first in the saved picture; GL rows count from the bottom.
        const int y = (2 - mode / 3) * kCell;
        glViewport(x, y, kCell, kCell);
        glScissor(x, y, kCell, kCell);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (mode == Off) {
            glDisable(GL_TEXTURE_2D);
        } else {
            glEnable(GL_TEXTURE_2D);
        }
        if (mode != Off && mode != ModelsOwn) ReloadTestTexture(mode, startupDir, testTexture, sink);
        DrawMode(sphere, mode, testTexture, own.get());
    }
    const RgbaImage sheet = context.ReadPixels();
    TearDownScene();
    // The clear colour's alpha is 0: save opaque so that a viewer shows the background.
    RgbaImage opaque = sheet;
    for (std::size_t i = 3; i < opaque.pixels.size(); i += 4) opaque.pixels[i] = 255;
    const std::string saved = SaveTestImage(opaque, "texture_modes");
    std::printf("contact sheet: %s\n", saved.c_str());
    glDeleteTextures(1, &testTexture);

    EXPECT_TRUE(sink.shown.empty()) << sink.shown.front().first;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (int mode = 0; mode < 9; ++mode) {
        const std::uint8_t* centre = sheet.At(mode % 3 * kCell + kCell / 2, mode / 3 * kCell + kCell / 2);
        EXPECT_FALSE(NearColor(centre, 51, 51, 102, 2)) << "no sphere drawn in mode " << mode;
        const std::uint8_t* corner = sheet.At(mode % 3 * kCell + 2, mode / 3 * kCell + 2);
        EXPECT_TRUE(NearColor(corner, 51, 51, 102, 1)) << "background of mode " << mode;
    }
    // The untextured sphere is lit grey; every texture changes it.
    for (int mode = 1; mode < 9; ++mode)
        EXPECT_GT(CentreDifference(sheet, Off, mode), 8.0) << "mode " << mode << " looks untextured";
    // Every test image has sky at the top: a reader or flip that turned an
    // image the wrong way shows ground above the sky.
    for (int mode = BMP; mode <= DDSCubemap; ++mode)
        EXPECT_GT(Blueness(sheet, mode, -28), Blueness(sheet, mode, 28) + 20) << "mode " << mode << " upside down";
    // The compressed variants show the same image as their plain modes, and
    // the DDS assets hold the same pictures as the BMP ones, block-compressed.
    const struct {
        int a, b;
    } alike[] = {{BMP, BMPCompressed}, {TGA, TGACompressed}, {BMP, DDS}, {BMPCubemap, DDSCubemap}};
    for (const auto& pair : alike) {
        const double difference = CentreDifference(sheet, pair.a, pair.b);
        std::printf("mean difference of modes %d and %d: %.2f\n", pair.a, pair.b, difference);
        EXPECT_LT(difference, 12.0) << "modes " << pair.a << " and " << pair.b;
    }
}

}  // namespace
