// Main of every GL test: one headless context for the whole process, made
// before any test runs, with the driver it landed on printed into the log.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "support/gl_test_support.h"
#include "support/test_environment.h"

namespace {
std::unique_ptr<HeadlessContext> gContext;
}

HeadlessContext& TestContext() { return *gContext; }

namespace {}  // namespace

int main(int argc, char** argv) {
    UseBuiltModules();
    testing::InitGoogleTest(&argc, argv);
    std::string error;
    gContext = HeadlessContext::Create(256, 256, error);
    if (!gContext) {
        std::fprintf(stderr, "headless OpenGL context: %s\n", error.c_str());
        return 1;
    }
    PinLoadedLibraries();
    std::printf("GL_VERSION: %s\nGL_RENDERER: %s\nEGL platform: %s\n",
                reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)), gContext->Platform().c_str());
    const int result = RUN_ALL_TESTS();
    gContext.reset();
    return result;
}
