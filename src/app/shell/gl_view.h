// The drawing area: a GL widget that sets the scene up, draws a frame on
// every paint request and hands keys and mouse drags to the viewer's logic.
// GL itself is called only through the scene and viewer functions.
// The scene set-up records the current directory as the viewer's startupDir
// unless the program has set one before.
//
// Qt gives the widget a new GL context when it moves to another top-level
// window or screen (re-parenting, full screen). Before the old one goes the
// viewer's textures are released in it; the new one gets them uploaded
// again (RestoreScene), while the model, the view and the options, which
// live in the Viewer, stay.
#pragma once

#include <QOpenGLWidget>

class ViewerShell;
struct Viewer;

class GLView : public QOpenGLWidget {
    Q_OBJECT
public:
    GLView(Viewer& viewer, ViewerShell& shell, QWidget* parent = nullptr);
    ~GLView() override;

    // Releases the viewer's textures with the context current; once. No
    // context made later sets the scene up again.
    void Shutdown();
    // Makes the context current when it exists (for commands that call GL).
    bool MakeCurrentIfReady();
    // A context exists and the scene is set up in it.
    bool IsSceneReady() const { return sceneReady_; }
    // The scene set-up leaves the default model out: a model opened at the
    // start replaces it (the window loads it only if that model fails).
    void SkipDefaultModel() { loadDefaultModel_ = false; }

    // The format the viewer asks for: compatibility profile, RGBA 8888,
    // depth 24 with stencil 8, double buffered.
    static QSurfaceFormat ViewerFormat();

signals:
    // The scene set-up has run in a new context (the first frame follows):
    // once at the start, and again after each change of context.
    void sceneReady();
    // A key changed the model itself (Fit, the keypad's Scale).
    void modelChanged();

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
    // The context is about to be destroyed: its textures go with it.
    void ReleaseContext();

    Viewer& viewer_;
    ViewerShell& shell_;
    bool sceneReady_ = false;
    // InitViewer has run once; a later context is restored, not set up anew.
    bool sceneSetUp_ = false;
    bool loadDefaultModel_ = true;
    bool shutDown_ = false;
    QMetaObject::Connection contextGoes_;
};
