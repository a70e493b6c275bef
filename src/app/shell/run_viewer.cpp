#include "app/shell/run_viewer.h"

#include <QApplication>
#include <QSurfaceFormat>

#include <clocale>

#include "app/shell/app_icon.h"
#include "app/shell/gl_view.h"
#include "app/shell/main_window.h"

int RunViewer(int& argc, char** argv, const std::string& model, const std::string& startupDir,
              const ReadOptions& read, ModelReadAhead* readAhead) {
    QSurfaceFormat::setDefaultFormat(GLView::ViewerFormat());
    QApplication app(argc, argv);
    // QApplication adopts the user's locale; model files always use a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Tessaview"));
    QApplication::setWindowIcon(AppIcon());

    MainWindow window({}, startupDir);
    window.ViewerState().read = read;
    if (!model.empty()) window.OpenAtStart(model, readAhead);
    window.show();
    if (!model.empty()) {
        // For the benchmark of the time to the first picture: the program
        // ends once a frame with the model given has been shown.
        if (qEnvironmentVariableIsSet("TESSAVIEW_QUIT_AFTER_FIRST_FRAME")) {
            QObject::connect(&window.View(), &QOpenGLWidget::frameSwapped, &window, [&window, model] {
                if (window.ViewerState().modelPath == model) window.close();
            });
        }
    }
    return QApplication::exec();
}
