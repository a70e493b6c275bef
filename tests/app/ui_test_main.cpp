// Main of the window tests: one QApplication for the whole run, on the X
// display that the test command started (Xvfb).
#include <gtest/gtest.h>

#include <QApplication>
#include <QSurfaceFormat>

#include <dlfcn.h>
#include <link.h>

#include <clocale>

#include "app/shell/gl_view.h"

namespace {
// Keeps every library loaded so far (GL driver, toolkit plugins) mapped until
// exit, so that LeakSanitizer can still name the modules whose blocks remain
// when they would be unloaded.
void PinLoadedLibraries() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

// Windows come and go between tests; pin what each one loaded before it goes.
class PinAfterEachTest : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override { PinLoadedLibraries(); }
};
}  // namespace

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLView::ViewerFormat());
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    // Tests close windows and go on.
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new PinAfterEachTest);  // gtest owns it
    return RUN_ALL_TESTS();
}
