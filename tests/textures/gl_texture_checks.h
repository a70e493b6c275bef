// Reading uploaded textures back on the test context.
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// One generated texture name, deleted at the end of the scope.
class TextureName {
public:
    TextureName() { glGenTextures(1, &name_); }
    ~TextureName() { glDeleteTextures(1, &name_); }
    TextureName(const TextureName&) = delete;
    TextureName& operator=(const TextureName&) = delete;
    GLuint get() const { return name_; }

private:
    GLuint name_ = 0;
};

struct LevelInfo {
    GLint width = 0;
    GLint height = 0;
    GLint internalFormat = 0;
    GLint compressed = 0;
};

// Level 0 of image (GL_TEXTURE_2D or a cube face) of the texture bound to its target.
LevelInfo QueryLevel(GLenum image);
// Level 0 read back tightly packed, rows bottom first.
std::vector<std::uint8_t> ReadLevel(GLenum image, GLenum format, int width, int height, int channels);
GLint TexParameter(GLenum target, GLenum parameter);
GLint Integer(GLenum what);
// Largest per-byte difference between two equally long buffers (255 when the sizes differ).
int MaxDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// A test of a texture loader: replace mode and an unusual unpack alignment
// going in, which every loader must put back, and no GL error coming out.
class LoaderStateTest : public testing::Test {
protected:
    void SetUp() override {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    }
    void TearDown() override {
        EXPECT_EQ(Integer(GL_UNPACK_ALIGNMENT), 8);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};
