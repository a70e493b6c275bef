// A viewer set up as a new window sets it up, on the test process's
// headless context, with the option groups and the GL toggles at their
// start values. The assets are read from the repository.
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "app/scene.h"
#include "app/viewer.h"
#include "scripted_shell.h"
#include "support/gl_test_support.h"
#include "textures/texture_modes.h"

class ViewerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestContext().Resize(kSize, kSize));
        startupDir = TESSA_SOURCE_DIR;
        checkedTexture = CMD_TEX_BMP;
        checkedLight = CMD_LIGHT_ON;
        checkedRenderMode = CMD_RENDER_SOLID;
        checkedCulling = CMD_CULL_ON;
        checkedWinding = CMD_WINDING_CCW;
        dragMode = 0;
        // What a fresh context starts with; the scene set-up relies on these defaults.
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glFrontFace(GL_CCW);
        InitViewer(shell);
        ResizeViewport(kSize, kSize);
        shell = ScriptedShell{};
    }
    void TearDown() override {
        ShutdownScene();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    static constexpr int kSize = 256;
    ScriptedShell shell;
};
