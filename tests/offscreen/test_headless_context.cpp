#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "offscreen/png_file.h"
#include "support/gl_test_support.h"

namespace {

TEST(HeadlessContext, ReportsACompatibilityContextWithDepthAndStencil) {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    std::printf("GL_VERSION %s | GL_RENDERER %s\n", version, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    GLint depth = 0, stencil = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                          &depth);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE,
                                          &stencil);
    EXPECT_GE(depth, 16);
    EXPECT_GE(stencil, 8);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(HeadlessContext, FixedFunctionDrawingReadsBackTopRowFirst) {
    HeadlessContext& ctx = TestContext();
    ASSERT_TRUE(ctx.Resize(64, 32));
    glViewport(0, 0, 64, 32);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Immediate-mode quad over the upper half only: needs the compatibility profile.
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_QUADS);
    glVertex2f(-1, 0);
    glVertex2f(1, 0);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const RgbaImage img = ctx.ReadPixels();
    ASSERT_EQ(img.width, 64);
    ASSERT_EQ(img.height, 32);
    EXPECT_TRUE(NearColor(img.At(10, 2), 255, 0, 0, 0));   // top
    EXPECT_TRUE(NearColor(img.At(10, 29), 0, 0, 255, 0));  // bottom
}

TEST(HeadlessContext, PngRoundTrip) {
    RgbaImage img;
    img.width = 3;
    img.height = 2;
    img.pixels = {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 128, 10, 11, 12, 255, 13, 14, 15, 0, 16, 17, 18, 255};
    const std::string path = SaveTestImage(img, "png_round_trip");
    RgbaImage back;
    std::string error;
    ASSERT_TRUE(ReadPng(path, back, error)) << error;
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.pixels, img.pixels);
    EXPECT_FALSE(WritePng("/nonexistent-dir/x.png", img, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
