// The drawing area: a GL widget that sets the scene up, draws a frame on
// every paint request and hands keys and mouse drags to the viewer's logic.
// GL itself is called only through the scene and viewer functions.
// The scene set-up records the current directory as the viewer's startupDir
// unless the program has set one before.
#pragma once

#include <QOpenGLWidget>

class ViewerShell;
struct Viewer;

class GLView : public QOpenGLWidget {
    Q_OBJECT
public:
    GLView(Viewer& viewer, ViewerShell& shell, QWidget* parent = nullptr);
    ~GLView() override;

    // Releases the viewer's textures with the context current; once.
    void Shutdown();
    // Makes the context current when it exists (for commands that call GL).
    bool MakeCurrentIfReady();
    bool IsSceneReady() const { return sceneReady_; }

    // The format the viewer asks for: compatibility profile, RGBA 8888,
    // depth 24 with stencil 8, double buffered.
    static QSurfaceFormat ViewerFormat();

signals:
    // The scene set-up has run (the first frame follows).
    void sceneReady();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    Viewer& viewer_;
    ViewerShell& shell_;
    bool sceneReady_ = false;
    bool shutDown_ = false;
};
