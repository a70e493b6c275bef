// Main of the window tests: one QApplication for the whole run, on the X
// display that the test command started (Xvfb).
#include <gtest/gtest.h>

#include <QApplication>
#include <QSurfaceFormat>

#include <clocale>

#include "app/shell/gl_view.h"

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(GLView::ViewerFormat());
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    // Tests close windows and go on.
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
