// A viewer set up as a new window sets it up, on the test process's
// headless context, with the GL toggles at their start values. Each test
// gets a fresh viewer; the assets are read from the repository.
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "scripted_shell.h"
#include "support/gl_test_support.h"
#include "viewer/scene.h"
#include "viewer/viewer.h"

class ViewerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TestContext().Resize(kSize, kSize));
        viewer.startupDir = TESSA_SOURCE_DIR;
        // What a fresh context starts with; the scene set-up relies on these defaults.
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glFrontFace(GL_CCW);
        InitViewer(viewer, shell);
        ResizeViewport(viewer, kSize, kSize);
        shell = ScriptedShell{};
    }
    void TearDown() override {
        ShutdownScene(viewer);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    static constexpr int kSize = 256;
    Viewer viewer;
    ScriptedShell shell;
};
