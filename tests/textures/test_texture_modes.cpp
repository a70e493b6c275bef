// ReloadTestTexture against a start-up directory of small test assets.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "gl_texture_checks.h"
#include "textures/encode/image_encoders.h"
#include "textures/encode/sample_images.h"
#include "support/temp_dir.h"
#include "support/recording_sink.h"
#include "textures/texture_modes.h"

namespace {

using Shown = std::vector<std::pair<std::string, std::string>>;

const char* const kFaces[] = {"posx", "negx", "posy", "negy", "posz", "negz"};

class TestTexture : public testing::Test {
protected:
    void SetUp() override {
        dir.Write("Assets/spheremap.bmp", EncodeBMP(MakePicture(5, 3, 3)));
        dir.Write("Assets/spheremap.tga", EncodeTGA(MakePicture(7, 2, 4)));
        dir.Write("Assets/spheremap.dds", EncodeDDS({.width = 8, .height = 4}, RandomBlocks(2, 8, 9, false)));
        for (int i = 0; i < 6; ++i) {
            dir.Write(std::string("Assets/Terrain_") + kFaces[i] + ".bmp", EncodeBMP(MakePicture(4, 4, 3, i)));
            dir.Write(std::string("Assets/cube_face_") + kFaces[i] + ".dds",
                      EncodeDDS({.width = 8, .height = 8}, RandomBlocks(4, 8, 20u + i, false)));
        }
        startupDir = dir.Path().string();
    }
    void TearDown() override {
        if (testTexture != 0) glDeleteTextures(1, &testTexture);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    void Reload(TextureMode mode) { ReloadTestTexture(mode, startupDir, testTexture, sink); }
    // True when the name is a texture object of the other kind: binding it
    // to a target it was not made for is refused.
    static bool RefusesTarget(GLuint name, GLenum target) {
        while (glGetError() != GL_NO_ERROR) {
        }
        glBindTexture(target, name);
        const bool refused = glGetError() == GL_INVALID_OPERATION;
        glBindTexture(target, 0);
        return refused;
    }

    TempDir dir;
    RecordingSink sink;
    std::string startupDir;
    unsigned int testTexture = 0;
};

TEST_F(TestTexture, FirstReloadDeletesNothing) {
    const TextureName other;
    glBindTexture(GL_TEXTURE_2D, other.get());
    Reload(TextureMode::Bmp);
    EXPECT_NE(testTexture, 0u);
    EXPECT_NE(testTexture, other.get());
    EXPECT_TRUE(glIsTexture(other.get()));
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(testTexture));
    EXPECT_EQ(QueryLevel(GL_TEXTURE_2D).width, 5);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TestTexture, EachModeLoadsItsAsset) {
    const struct {
        TextureMode mode;
        GLenum image;
        GLint width;
        bool compressed;
    } cases[] = {{TextureMode::Bmp, GL_TEXTURE_2D, 5, false},
                 {TextureMode::BmpCompressed, GL_TEXTURE_2D, 5, true},
                 {TextureMode::Tga, GL_TEXTURE_2D, 7, false},
                 {TextureMode::TgaCompressed, GL_TEXTURE_2D, 7, true},
                 {TextureMode::Dds, GL_TEXTURE_2D, 8, true},
                 {TextureMode::BmpCubemap, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 4, false},
                 {TextureMode::DdsCubemap, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 8, true}};
    for (const auto& c : cases) {
        Reload(c.mode);
        const LevelInfo level = QueryLevel(c.image);
        EXPECT_EQ(level.width, c.width) << TextureModeName(c.mode);
        EXPECT_EQ(level.compressed != 0, c.compressed) << TextureModeName(c.mode);
    }
    EXPECT_TRUE(sink.shown.empty());
    // Off and the model's own texture leave a fresh, empty name.
    for (TextureMode mode : {TextureMode::Off, TextureMode::ModelsOwn}) {
        const GLuint before = testTexture;
        Reload(mode);
        EXPECT_NE(testTexture, 0u);
        EXPECT_TRUE(testTexture == before || !glIsTexture(before)) << "old name deleted";
        EXPECT_FALSE(glIsTexture(testTexture)) << "nothing bound to the new name";
    }
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TestTexture, SwitchingBetweenCubeMapAnd2DMakesTheRightKind) {
    Reload(TextureMode::BmpCubemap);
    const GLuint cube = testTexture;
    EXPECT_TRUE(glIsTexture(cube));
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_CUBE_MAP), static_cast<GLint>(cube));
    EXPECT_TRUE(RefusesTarget(cube, GL_TEXTURE_2D));

    Reload(TextureMode::Bmp);
    const GLuint flat = testTexture;
    EXPECT_TRUE(glIsTexture(flat));
    EXPECT_TRUE(flat == cube || !glIsTexture(cube)) << "old name deleted";
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(flat));
    EXPECT_TRUE(RefusesTarget(flat, GL_TEXTURE_CUBE_MAP));

    Reload(TextureMode::BmpCubemap);
    EXPECT_TRUE(glIsTexture(testTexture));
    EXPECT_TRUE(testTexture == flat || !glIsTexture(flat)) << "old name deleted";
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_CUBE_MAP), static_cast<GLint>(testTexture));
    EXPECT_TRUE(RefusesTarget(testTexture, GL_TEXTURE_2D));
    glBindTexture(GL_TEXTURE_CUBE_MAP, testTexture);
    for (GLenum i = 0; i < 6; ++i) EXPECT_EQ(QueryLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i).width, 4);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TestTexture, TheSameModeTwiceLeavesOneTexture) {
    Reload(TextureMode::Tga);
    const GLuint first = testTexture;
    // The file is read again: a changed file shows in the new texture.
    dir.Write("Assets/spheremap.tga", EncodeTGA(MakePicture(3, 3, 3)));
    Reload(TextureMode::Tga);
    EXPECT_TRUE(glIsTexture(testTexture));
    EXPECT_TRUE(testTexture == first || !glIsTexture(first)) << "old name deleted";
    EXPECT_EQ(QueryLevel(GL_TEXTURE_2D).width, 3);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(TestTexture, MissingAssetsAreReportedByTheirLoaders) {
    startupDir = (dir.Path() / "elsewhere").string();
    const struct {
        TextureMode mode;
        const char* message;
    } cases[] = {{TextureMode::Bmp, "Texture File Not Found (BMP)"},
                 {TextureMode::BmpCompressed, "Texture File Not Found (BMP)"},
                 {TextureMode::Tga, "Texture File Not Found (TGA)"},
                 {TextureMode::TgaCompressed, "Texture File Not Found (TGA)"},
                 {TextureMode::Dds, "Texture File Not Found (DDS)"},
                 {TextureMode::BmpCubemap, "Cube Texture File Not Found (BMP)"},
                 {TextureMode::DdsCubemap, "Cube Texture File Not Found (DDS)"}};
    for (const auto& c : cases) {
        sink.shown.clear();
        Reload(c.mode);
        EXPECT_EQ(sink.shown, (Shown{{c.message, "Error"}})) << TextureModeName(c.mode);
        // The check without GL says the same, and nothing for files that are there.
        sink.shown.clear();
        EXPECT_FALSE(CheckTestTexture(c.mode, startupDir, sink));
        EXPECT_EQ(sink.shown, (Shown{{c.message, "Error"}})) << TextureModeName(c.mode);
        sink.shown.clear();
        EXPECT_TRUE(CheckTestTexture(c.mode, dir.Path().string(), sink));
        EXPECT_TRUE(sink.shown.empty()) << TextureModeName(c.mode);
    }
}

TEST_F(TestTexture, AStartupDirectoryTooLongForAPathIsAMissingFile) {
    // An existing directory reached through a path longer than the system takes.
    std::string longDir = dir.Path().string();
    while (longDir.size() < PATH_MAX) longDir += "/.";
    startupDir = longDir;
    Reload(TextureMode::Bmp);
    EXPECT_EQ(sink.shown, (Shown{{"Texture File Not Found (BMP)", "Error"}}));
    sink.shown.clear();
    Reload(TextureMode::DdsCubemap);
    EXPECT_EQ(sink.shown, (Shown{{"Cube Texture File Not Found (DDS)", "Error"}}));
    EXPECT_EQ(QueryLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X).width, 0);
}

}  // namespace
