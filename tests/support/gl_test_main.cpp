// Main of every GL test: one headless context for the whole process, made
// before any test runs, with the driver it landed on printed into the log.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <memory>

#include "support/gl_test_support.h"

namespace {
std::unique_ptr<HeadlessContext> gContext;
}

HeadlessContext& TestContext() { return *gContext; }

namespace {
// Keeps every library loaded so far (the GL driver among them) mapped until
// exit, so that LeakSanitizer can still see what the driver keeps in its
// globals after the context is gone and its modules would be unloaded.
void PinLoadedLibraries() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}
}  // namespace

int main(int argc, char** argv) {
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
