#include "app/shell/gl_view.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include <cmath>
#include <optional>

#include "viewer/scene.h"
#include "viewer/viewer.h"

namespace {

ViewerKey ToViewerKey(int key) {
    switch (key) {
    case Qt::Key_Escape: return ViewerKey::Escape;
    case Qt::Key_Up: return ViewerKey::Up;
    case Qt::Key_Down: return ViewerKey::Down;
    case Qt::Key_Left: return ViewerKey::Left;
    case Qt::Key_Right: return ViewerKey::Right;
    case Qt::Key_A: return ViewerKey::A;
    case Qt::Key_D: return ViewerKey::D;
    case Qt::Key_W: return ViewerKey::W;
    case Qt::Key_S: return ViewerKey::S;
    case Qt::Key_F: return ViewerKey::F;
    default: return ViewerKey::Other;
    }
}

// Ctrl with the keypad's minus or plus: the scale commands. Qt ignores the
// keypad modifier when it matches shortcuts, so these can't be QAction
// shortcuts without also firing on the main keyboard's keys.
std::optional<CommandId> KeypadCommand(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (!(mods & Qt::ControlModifier) || !(mods & Qt::KeypadModifier)) return std::nullopt;
    switch (event.key()) {
    case Qt::Key_Minus: return CommandId::ScaleDown;
    case Qt::Key_Plus: return CommandId::ScaleUp;
    default: return std::nullopt;
    }
}

}  // namespace

GLView::GLView(Viewer& viewer, ViewerShell& shell, QWidget* parent)
    : QOpenGLWidget(parent), viewer_(viewer), shell_(shell) {
    setFormat(ViewerFormat());
    setFocusPolicy(Qt::StrongFocus);
    // The frame covers the whole area: nothing needs to be erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

GLView::~GLView() { Shutdown(); }

QSurfaceFormat GLView::ViewerFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    return format;
}

void GLView::Shutdown() {
    // Also before the widget's own destructor deletes the context, which
    // would call back into a GLView that is gone.
    disconnect(contextGoes_);
    if (!sceneReady_ || shutDown_) return;
    shutDown_ = true;
    makeCurrent();
    ShutdownScene(viewer_);
    doneCurrent();
}

void GLView::ReleaseContext() {
    disconnect(contextGoes_);
    if (!sceneReady_) return;
    sceneReady_ = false;
    // Qt lets a slot of this signal make the dying context current once more.
    makeCurrent();
    ShutdownScene(viewer_);
    doneCurrent();
}

bool GLView::MakeCurrentIfReady() {
    if (!sceneReady_ || shutDown_) return false;
    makeCurrent();
    return true;
}

void GLView::initializeGL() {
    // The program may have chosen the directory already (installed assets).
    if (viewer_.startupDir.empty()) viewer_.startupDir = QDir::currentPath().toStdString();
    if (shutDown_) return;
    if (!sceneSetUp_) {
        InitViewer(viewer_, shell_, loadDefaultModel_ ? DefaultModel::Load : DefaultModel::Skip);
        sceneSetUp_ = true;
    } else {
        RestoreScene(viewer_, shell_);
    }
    contextGoes_ = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GLView::ReleaseContext);
    sceneReady_ = true;
    emit sceneReady();
}

void GLView::resizeGL(int width, int height) {
    const double ratio = devicePixelRatioF();
    ResizeViewport(viewer_, static_cast<int>(std::lround(width * ratio)),
                   static_cast<int>(std::lround(height * ratio)));
}

void GLView::paintGL() {
    if (!shutDown_) RenderFrame(viewer_);
}

bool GLView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && KeypadCommand(static_cast<QKeyEvent&>(*event))) {
        event->accept();
        return true;
    }
    return QOpenGLWidget::event(event);
}

void GLView::keyPressEvent(QKeyEvent* event) {
    if (const std::optional<CommandId> command = KeypadCommand(*event)) {
        if (MakeCurrentIfReady()) DoCommand(viewer_, *command, shell_);
        emit modelChanged();
        return;
    }
    // Alt with a key belongs to the menus, never to the eye.
    if (event->modifiers() & Qt::AltModifier) {
        QOpenGLWidget::keyPressEvent(event);
        return;
    }
    const ViewerKey key = ToViewerKey(event->key());
    KeyDown(viewer_, key, shell_);
    if (key == ViewerKey::F) emit modelChanged();
}

void GLView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    switch (event->button()) {
    case Qt::LeftButton: MouseDown(viewer_, MouseButton::Left, pos.x(), pos.y()); break;
    case Qt::RightButton: MouseDown(viewer_, MouseButton::Right, pos.x(), pos.y()); break;
    case Qt::MiddleButton: MouseDown(viewer_, MouseButton::Middle, pos.x(), pos.y()); break;
    default: QOpenGLWidget::mousePressEvent(event); break;
    }
}

void GLView::mouseReleaseEvent(QMouseEvent* event) {
    switch (event->button()) {
    case Qt::LeftButton:
    case Qt::RightButton:
    case Qt::MiddleButton: MouseUp(viewer_); break;
    default: QOpenGLWidget::mouseReleaseEvent(event); break;
    }
}

void GLView::wheelEvent(QWheelEvent* event) {
    // A wheel notch is 120 eighths of a degree; touchpads send pixels, or
    // small angles, which move by that fraction of a notch.
    constexpr double kEighthsPerNotch = 120.0;
    constexpr double kPixelsPerNotch = 60.0;
    const double notches = !event->pixelDelta().isNull() ? event->pixelDelta().y() / kPixelsPerNotch
                                                         : event->angleDelta().y() / kEighthsPerNotch;
    Wheel(viewer_, notches, shell_);
    event->accept();
}

void GLView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    MouseMove(viewer_, pos.x(), pos.y(), shell_);
}
