#include "app/shell/run_viewer.h"

#include <QApplication>
#include <QSurfaceFormat>

#include <clocale>

#include "app/shell/app_icon.h"
#include "app/shell/gl_view.h"
#include "app/shell/main_window.h"

int RunViewer(int& argc, char** argv, const std::string& model, const std::string& startupDir) {
    QSurfaceFormat::setDefaultFormat(GLView::ViewerFormat());
    QApplication app(argc, argv);
    // QApplication adopts the user's locale; model files always use a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Tessaview"));
    QApplication::setWindowIcon(AppIcon());

    MainWindow window({}, startupDir);
    window.show();
    if (!model.empty()) window.OpenFile(model);
    return QApplication::exec();
}
