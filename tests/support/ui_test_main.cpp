// Main of the window tests: one QApplication for the whole run, on the X
// display that the test command started (Xvfb).
#include <gtest/gtest.h>

#include <QApplication>
#include <QSurfaceFormat>

#include <clocale>
#include <cstdlib>

#include "offscreen/headless_context.h"
#include "app/shell/gl_view.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"

namespace {

// Windows come and go between tests; pin what each one loaded before it goes.
class PinAfterEachTest : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override { PinLoadedLibraries(); }
};
}  // namespace

int main(int argc, char** argv) {
    // The windows remember things between runs (recent files, their size):
    // in a folder of this run's own, never in the user's settings.
    UseBuiltModules();
    const TempDir config;
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    QSurfaceFormat::setDefaultFormat(GLView::ViewerFormat());
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    // Tests close windows and go on.
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new PinAfterEachTest);  // gtest owns it
    return RUN_ALL_TESTS();
}
