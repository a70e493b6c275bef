// The real window under X: menus and check marks, accelerators (the keypad
// ones with real key presses through xdotool), drags on the GL view, the
// About box and the ways out.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/about_dialog.h"
#include "app/shell/gl_view.h"
#include "app/shell/main_window.h"
#include "app/shell/window_settings.h"
#include "viewer/open_model.h"
#include "viewer/viewer.h"
#include "math/camera.h"
#include "formats/bin/bin_format.h"
#include "offscreen/png_file.h"
#include "mesh/mesh.h"
#include "formats/model_reader.h"
#include "support/temp_dir.h"
#include "textures/texture_modes.h"

namespace {

// Runs xdotool with args and waits for it while the window keeps handling events.
bool Xdotool(const QStringList& args, QString* output = nullptr) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), args);
    if (!process.waitForStarted(5000)) return false;
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output) *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Whether a pixel shows the model rather than the background (the clear colour).
bool ShowsModel(const QColor& c) {
    return std::abs(c.red() - 51) > 1 || std::abs(c.green() - 51) > 1 || std::abs(c.blue() - 102) > 1;
}

// The pixels of a frame that show the model.
int ModelPixels(const QImage& frame) {
    int count = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) count += ShowsModel(frame.pixelColor(x, y)) ? 1 : 0;
    return count;
}

// The menu bar as lines: each item's text indented by its depth, "-" for a separator.
void ListMenu(const QList<QAction*>& actions, int depth, std::vector<std::string>& lines) {
    for (const QAction* action : actions) {
        const std::string indent(2 * depth, ' ');
        if (action->isSeparator()) {
            lines.push_back(indent + "-");
            continue;
        }
        lines.push_back(indent + action->text().toStdString());
        if (action->menu()) ListMenu(action->menu()->actions(), depth + 1, lines);
    }
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        ShellDialogs dialogs;
        dialogs.message = [this](std::string_view text, std::string_view) { messages.emplace_back(text); };
        dialogs.askYesNo = [](std::string_view, std::string_view) { return false; };
        dialogs.savePicture = [this] { return std::exchange(pictureAnswer, std::nullopt); };
        dialogs.openFile = [this]() -> std::optional<std::string> {
            ++fileDialogs;
            return std::exchange(dialogAnswer, std::nullopt);
        };
        // Each test starts as a first run does, whatever an earlier one left.
        window_settings::SetGeometry({});
        window = std::make_unique<MainWindow>(std::move(dialogs));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->View().IsSceneReady(); }));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(window->View().hasFocus());
        ASSERT_GT(State().model.numVerts, 0u);
    }
    void TearDown() override {
        window->close();
        window.reset();
        EXPECT_TRUE(messages.empty()) << messages.front();
    }

    GLView& View() { return window->View(); }
    Viewer& State() { return window->ViewerState(); }
    Vec3f Eye() {
        Vec3f eye;
        State().camera.GetOrigin(eye);
        return eye;
    }
    QString WindowId() const { return QString::number(window->winId()); }
    // A real key press from the X server, to the window that has the focus.
    bool RealKey(const QString& keys) {
        return Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), WindowId()}) &&
               Xdotool({QStringLiteral("key"), keys});
    }
    QMenu* Menu(const QString& title) const {
        for (QMenu* menu : window->menuBar()->findChildren<QMenu*>())
            if (menu->title() == title) return menu;
        return nullptr;
    }
    // Opens menu as the user does, and reports whether each of ids is checked.
    std::vector<bool> CheckedWhenOpened(const QString& title, std::initializer_list<CommandId> ids) {
        QMenu* menu = Menu(title);
        menu->popup(window->mapToGlobal(QPoint(20, 40)));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
        std::vector<bool> checked;
        for (const CommandId id : ids) checked.push_back(window->Action(id)->isChecked());
        menu->hide();
        return checked;
    }

    std::unique_ptr<MainWindow> window;
    int fileDialogs = 0;
    std::optional<std::string> dialogAnswer;   // the next file dialog's pick
    std::optional<std::string> pictureAnswer;  // where the next Save Picture writes
    std::vector<std::string> messages;
};

TEST_F(WindowTest, CaptionSizeAndIcon) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tessaview"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->frameGeometry().size() == QSize(800, 600); }, 2000))
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();
    const QList<QSize> sizes = window->windowIcon().availableSizes();
    for (const int size : {16, 32, 48}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

TEST_F(WindowTest, MenuBarTextsAndOrder) {
    std::vector<std::string> lines;
    ListMenu(window->menuBar()->actions(), 0, lines);
    const std::vector<std::string> expected = {
        "&File",
        "  &Open\tCtrl+O",
        "  &Reload\tF5",
        "  Save &Picture...\tCtrl+S",
        "  Recent &Files",
        "  E&xit",
        "&Options",
        "  &Textures",
        "    &BMP",
        "    BMP &Compressed",
        "    BM&P Cubemap",
        "    -",
        "    &TGA",
        "    T&GA Compressed",
        "    -",
        "    &DDS",
        "    DDS C&ubemap",
        "    -",
        "    &Model's Own",
        "    O&ff",
        "  &Light",
        "    &On",
        "    O&ff",
        "  &Render Mode",
        "    &Solid",
        "    &Wireframe",
        "  &Backface Culling",
        "    &On",
        "    O&ff",
        "  &Winding Order",
        "    &Clockwise",
        "    C&ounter Clockwise",
        "  &Model",
        "    Flip &Normals",
        "    Scale &Down 10%\tCtrl+Num+-",
        "    Scale &Up 10%\tCtrl+Num++",
        "    &Fit\tF",
        "    Show N&ormals",
        "  Reset &Camera",
        "&Help",
        "  &About ...",
        "  &Controls\tF1",
    };
    EXPECT_EQ(lines, expected);
}

// The shortcut text of Scale Down and Up names the keys that scale: Ctrl with the keypad's minus and plus.
TEST_F(WindowTest, ScaleItemsNameTheKeypadKeys) {
    const auto shortcut = [this](CommandId id) {
        return QKeySequence::fromString(window->Action(id)->text().section(QLatin1Char('\t'), 1));
    };
    EXPECT_EQ(shortcut(CommandId::ScaleDown),
              QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)));
    EXPECT_EQ(shortcut(CommandId::ScaleUp),
              QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus)));
}

TEST_F(WindowTest, CheckMarksFollowTheOptionGroups) {
    // The default cube has a texture of its own.
    EXPECT_EQ(CheckedWhenOpened(QStringLiteral("&Textures"), {CommandId::TexBMP, CommandId::TexModelsOwn}),
              (std::vector<bool>{false, true}));
    EXPECT_EQ(CheckedWhenOpened(QStringLiteral("&Render Mode"), {CommandId::RenderSolid, CommandId::RenderWireframe}),
              (std::vector<bool>{true, false}));

    window->Action(CommandId::RenderWireframe)->trigger();
    EXPECT_EQ(State().checkedRenderMode, CommandId::RenderWireframe);
    // The old mark goes at once; the new one shows when a menu opens.
    EXPECT_FALSE(window->Action(CommandId::RenderSolid)->isChecked());
    EXPECT_EQ(CheckedWhenOpened(QStringLiteral("&Render Mode"), {CommandId::RenderSolid, CommandId::RenderWireframe}),
              (std::vector<bool>{false, true}));
    // Opening the Options menu marks the items of every group.
    window->Action(CommandId::TexTGA)->trigger();
    EXPECT_EQ(CheckedWhenOpened(QStringLiteral("&Options"),
                                {CommandId::TexTGA, CommandId::TexBMP, CommandId::LightOn, CommandId::CullOn,
                                 CommandId::WindingCCW, CommandId::RenderWireframe}),
              (std::vector<bool>{true, false, true, true, true, true}));
    EXPECT_EQ(State().textureMode, TextureMode::Tga);
}

TEST_F(WindowTest, CtrlOOpensTheFileDialog) {
    QTest::keyClick(&View(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(fileDialogs, 1);
    ASSERT_TRUE(RealKey(QStringLiteral("ctrl+o")));
    EXPECT_TRUE(QTest::qWaitFor([this] { return fileDialogs == 2; }, 3000));
    // A plain O is a key without an action.
    QTest::keyClick(&View(), Qt::Key_O);
    EXPECT_EQ(fileDialogs, 2);
}

TEST_F(WindowTest, KeypadScalesWithRealKeysAndTheMainKeyboardDoesNot) {
    const float x = State().model.verts[0];
    ASSERT_NE(x, 0.0f);
    const int before = ModelPixels(View().grabFramebuffer());

    ASSERT_TRUE(RealKey(QStringLiteral("ctrl+KP_Subtract")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return State().model.verts[0] != x; }, 3000));
    const float smaller = State().model.verts[0];
    EXPECT_NEAR(smaller, x * 0.9, 1e-5);
    // The cube got smaller on screen.
    EXPECT_LT(ModelPixels(View().grabFramebuffer()), before);

    ASSERT_TRUE(RealKey(QStringLiteral("ctrl+minus")));
    ASSERT_TRUE(RealKey(QStringLiteral("ctrl+plus")));
    QTest::qWait(300);
    EXPECT_EQ(State().model.verts[0], smaller);

    ASSERT_TRUE(RealKey(QStringLiteral("ctrl+KP_Add")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return State().model.verts[0] != smaller; }, 3000));
    const float back = State().model.verts[0];
    EXPECT_NEAR(back, x * 0.99, 1e-5);

    // The same through QtTest's synthetic events.
    QTest::keyClick(&View(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(State().model.verts[0], back);
    QTest::keyClick(&View(), Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_NEAR(State().model.verts[0], x * 0.891, 1e-5);
}

TEST_F(WindowTest, LeftDragTurnsTheCube) {
    const QImage before = View().grabFramebuffer();
    QTest::mousePress(&View(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(&View(), QPoint(140, 110));
    QTest::mouseMove(&View(), QPoint(180, 130));
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, QPoint(180, 130));
    EXPECT_FLOAT_EQ(State().modelRotY, 28.8f);  // 80 of the 500 pixels that make half a turn
    EXPECT_EQ(State().dragMode, DragNone);
    const QImage after = View().grabFramebuffer();
    ASSERT_EQ(before.size(), after.size());
    EXPECT_NE(before, after);
    // A move after the release changes nothing.
    QTest::mouseMove(&View(), QPoint(10, 10));
    EXPECT_FLOAT_EQ(State().modelRotY, 28.8f);
}

TEST_F(WindowTest, ArrowKeysMoveTheEye) {
    QTest::keyClick(&View(), Qt::Key_Up);
    QTest::keyClick(&View(), Qt::Key_W);
    const Vec3f eye = Eye();
    EXPECT_EQ(eye.z, 19.0f);
    EXPECT_EQ(eye.y, -1.0f);
}

// With Alt the keys go to the menus: no movement key moves the eye, each
// pressed alone from the X server. A plain key that moves the eye along
// another axis follows each, and its move shows that both were handled.
TEST_F(WindowTest, NoMovementKeyWithAltMovesTheEye) {
    for (const char* key : {"w", "a", "s", "d", "Up", "Down", "Left", "Right"}) {
        SCOPED_TRACE(key);
        const bool alongZ = std::string_view(key) == "Up" || std::string_view(key) == "Down";
        const Vec3f before = Eye();
        ASSERT_TRUE(RealKey(QStringLiteral("alt+") + QLatin1String(key)));
        ASSERT_TRUE(RealKey(alongZ ? QStringLiteral("w") : QStringLiteral("Up")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return alongZ ? Eye().y != before.y : Eye().z != before.z; }, 3000));
        const Vec3f after = Eye();
        EXPECT_EQ(after.x, before.x);
        EXPECT_EQ(after.y, before.y - (alongZ ? 1.0f : 0.0f));  // w: down by one
        EXPECT_EQ(after.z, before.z - (alongZ ? 0.0f : 1.0f));  // Up: forward by one
    }
}

TEST_F(WindowTest, ModelsOwnIsOfferedOnlyForAModelWithATextureOfItsOwn) {
    EXPECT_TRUE(window->Action(CommandId::TexModelsOwn)->isEnabled());  // the crate
    window->OpenFile(TESSA_SOURCE_DIR "/Assets/examples/torus.bin");
    EXPECT_FALSE(window->Action(CommandId::TexModelsOwn)->isEnabled());
}

TEST_F(WindowTest, FFitsTheModelAndTheWheelMovesTheEye) {
    const float corner = State().model.verts[0];  // the default cube is already of the fitted size
    window->RunCommand(CommandId::ScaleDown);
    QTest::keyClick(&View(), Qt::Key_Up);
    ASSERT_TRUE(RealKey(QStringLiteral("f")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return State().fitted; }, 3000));
    EXPECT_NEAR(State().model.verts[0], corner, 1e-5f);
    EXPECT_EQ(Eye().z, 20.0f);

    // Notches of the wheel from the X server, the pointer over the view.
    const QPoint centre = View().mapTo(window.get(), View().rect().center());
    ASSERT_TRUE(Xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), WindowId(),
                         QString::number(centre.x()), QString::number(centre.y())}));
    const auto notch = [this](const char* button) {
        const float z = Eye().z;
        return Xdotool({QStringLiteral("click"), QLatin1String(button)}) &&
               QTest::qWaitFor([&] { return Eye().z != z; }, 3000);
    };
    const int before = ModelPixels(View().grabFramebuffer());
    // Up brings the model nearer: it grows on screen.
    ASSERT_TRUE(notch("4"));
    const float step = 20.0f - Eye().z;
    EXPECT_GT(step, 0.0f);
    EXPECT_GT(ModelPixels(View().grabFramebuffer()), before);
    // Notches come close but never pass through it: the eye stops where the
    // near plane (1 unit ahead of it) touches the sphere about the cube's
    // corners (4 sqrt 3 from its centre), and its front still fills the middle of the view.
    const float stop = 4.0f * std::sqrt(3.0f) + 1.0f;
    for (int i = 2; i <= 9; ++i) {
        const float z = Eye().z;
        ASSERT_TRUE(notch("4")) << i;
        EXPECT_LT(Eye().z, z) << i;
    }
    EXPECT_NEAR(Eye().z, stop, 1e-4f);
    ASSERT_TRUE(Xdotool({QStringLiteral("click"), QStringLiteral("4")}));
    QTest::qWait(300);
    EXPECT_NEAR(Eye().z, stop, 1e-4f);
    const QImage close = View().grabFramebuffer();
    EXPECT_TRUE(ShowsModel(close.pixelColor(close.rect().center())));
    // Down takes the eye back, a whole notch each.
    for (int i = 1; i <= 9; ++i) {
        const float z = Eye().z;
        ASSERT_TRUE(notch("5")) << i;
        EXPECT_GT(Eye().z, z) << i;
    }
    EXPECT_NEAR(Eye().z, stop + 9 * step, 1e-4f);

    // Smooth scrolling: a quarter of a notch moves a quarter of a notch's way.
    QWheelEvent quarter(centre, View().mapToGlobal(centre), QPoint(), QPoint(0, 30), Qt::NoButton, Qt::NoModifier,
                        Qt::NoScrollPhase, false);
    const float z = Eye().z;
    QApplication::sendEvent(&View(), &quarter);
    EXPECT_NEAR(z - Eye().z, step / 4, 1e-4f);
}

// A touchpad scrolls in pixels. The X server's test input has no such
// device, so the event is made here as the toolkit hands one over, with an
// angle of the same sign: a swipe up brings the model nearer, by its
// length, a swipe down takes it back, and a sideways one leaves it.
TEST_F(WindowTest, TouchpadSwipesMoveTheEyeByTheirLength) {
    const QPoint centre = View().rect().center();
    const auto swipe = [&](QPoint pixels) {
        QWheelEvent event(centre, View().mapToGlobal(centre), pixels, pixels, Qt::NoButton, Qt::NoModifier,
                          Qt::ScrollUpdate, false);
        QApplication::sendEvent(&View(), &event);
    };
    const float start = Eye().z;
    const int before = ModelPixels(View().grabFramebuffer());
    swipe({0, 30});
    const float way = start - Eye().z;
    EXPECT_GT(way, 0.0f);
    EXPECT_GT(ModelPixels(View().grabFramebuffer()), before);
    swipe({0, 10});
    swipe({0, 20});
    EXPECT_NEAR(start - Eye().z, 2 * way, 1e-4f);
    swipe({0, -60});
    EXPECT_NEAR(Eye().z, start, 1e-4f);
    const Vec3f eye = Eye();
    swipe({30, 0});
    swipe({-30, 0});
    EXPECT_EQ(Eye().x, eye.x);
    EXPECT_EQ(Eye().z, eye.z);
}

// The shown model's file rewritten on disk: by rename, half-written, then whole again.
TEST_F(WindowTest, FollowsTheModelFileAndKeepsTheView) {
    TempDir scratch;
    const std::string path = scratch.File("model.bin");
    std::ifstream in(TESSA_SOURCE_DIR "/Assets/examples/torus.bin", std::ios::binary);
    const std::string whole{std::istreambuf_iterator<char>(in), {}};
    ASSERT_TRUE(WriteFile(path, whole));
    Mesh half;
    ASSERT_TRUE(ReadModel(path, ModelFormat::BIN, half));
    half.Scale(0.5f);

    window->OpenFile(path);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("model.bin - Tessaview"));
    const float first = State().model.verts[0];
    ASSERT_NE(first, 0.0f);
    QTest::keyClick(&View(), Qt::Key_Up);
    State().modelRotY = 30.0f;
    window->RunCommand(CommandId::TexOff);
    window->RunCommand(CommandId::RenderWireframe);

    // Replaced by rename, as exporters do.
    const WriteResult written = WriteBIN(half, path + ".tmp");
    ASSERT_TRUE(written) << written.reason;
    std::filesystem::rename(path + ".tmp", path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return State().model.verts[0] == first * 0.5f; }, 5000));
    EXPECT_EQ(Eye().z, 19.0f);
    EXPECT_EQ(State().modelRotY, 30.0f);
    EXPECT_EQ(State().textureMode, TextureMode::Off);
    EXPECT_EQ(State().checkedRenderMode, CommandId::RenderWireframe);

    // Caught half-written in place: the shown model stays, the title says why.
    ASSERT_TRUE(WriteFile(path, whole.substr(0, whole.size() / 2)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->windowTitle().contains(QStringLiteral("reload failed")); }, 5000));
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("model.bin (reload failed: ")));
    EXPECT_TRUE(window->findChild<QLabel*>(QStringLiteral("lastWarning"))
                    ->text()
                    .startsWith(QStringLiteral("reload failed: ")));
    EXPECT_EQ(State().model.verts[0], first * 0.5f);
    // Once written out the next change brings it in.
    ASSERT_TRUE(WriteFile(path, whole));
    ASSERT_TRUE(QTest::qWaitFor([&] { return State().model.verts[0] == first; }, 5000));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("model.bin - Tessaview"));

    // F5 reads it again by hand, and so does File > Reload.
    State().model.Scale(2.0f);
    QTest::keyClick(&View(), Qt::Key_F5);
    EXPECT_EQ(State().model.verts[0], first);
    State().model.Scale(2.0f);
    window->Action(CommandId::Reload)->trigger();
    EXPECT_EQ(State().model.verts[0], first);
}

// Taken out of the window and put back, the view gets a new GL context from
// Qt (as when the window goes full screen or to another screen): the model
// opened stays, with its options, and the picture is the one before.
TEST_F(WindowTest, ANewContextKeepsTheModelTheOptionsAndThePicture) {
    const std::string path = TESSA_SOURCE_DIR "/Assets/examples/sphere.xml";
    window->OpenFile(path);
    ASSERT_EQ(State().modelPath, path);
    ASSERT_EQ(State().checkedTexture, CommandId::TexModelsOwn);
    const std::uint32_t verts = State().model.numVerts;
    State().modelRotY = 30.0f;
    const std::vector<std::vector<CommandId>> cases = {
        {CommandId::LightOff, CommandId::WindingCW},  // the sphere's own texture, unlit, inside out
        {CommandId::TexTGA, CommandId::RenderWireframe, CommandId::CullOff},
    };
    for (const std::vector<CommandId>& picks : cases) {
        SCOPED_TRACE(static_cast<int>(picks.front()));
        for (const CommandId id : picks) window->RunCommand(id);
        const QImage before = View().grabFramebuffer();
        const QSize size = View().size();

        QSignalSpy newContexts(&View(), &GLView::sceneReady);
        QWidget* view = window->takeCentralWidget();
        EXPECT_EQ(view, &View());
        EXPECT_FALSE(View().IsSceneReady());  // the old context went with the window
        window->setCentralWidget(view);
        ASSERT_TRUE(QTest::qWaitFor([&] { return newContexts.count() == 1 && View().size() == size; }, 5000));
        ASSERT_TRUE(View().IsSceneReady());

        EXPECT_EQ(State().modelPath, path);
        EXPECT_EQ(State().model.numVerts, verts);
        EXPECT_EQ(State().checkedTexture,
                  picks.front() == CommandId::TexTGA ? CommandId::TexTGA : CommandId::TexModelsOwn);
        const QImage after = View().grabFramebuffer();
        EXPECT_TRUE(after == before);
        if (after != before) {
            before.save(QString::fromStdString(::testing::TempDir()) + QStringLiteral("new_context_before.png"));
            after.save(QString::fromStdString(::testing::TempDir()) + QStringLiteral("new_context_after.png"));
        }
    }
}

// Watches for a modal box (the About box that a shortcut opens and runs
// modally) and closes it with a key, noting its caption.
class ModalCloser {
public:
    explicit ModalCloser(Qt::Key key) {
        QObject::connect(&timer_, &QTimer::timeout, [this, key] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box) return;
            timer_.stop();
            title = box->windowTitle();
            QTest::keyClick(box, key);
        });
        timer_.start(20);
    }
    QString title;

private:
    QTimer timer_;
};

TEST_F(WindowTest, AltSlashAndAltQuestionOpenTheAboutBox) {
    {
        ModalCloser closer(Qt::Key_Escape);
        ASSERT_TRUE(RealKey(QStringLiteral("alt+slash")));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !closer.title.isEmpty(); }, 3000));
        EXPECT_EQ(closer.title, QStringLiteral("About"));
    }
    {
        ModalCloser closer(Qt::Key_Return);
        ASSERT_TRUE(RealKey(QStringLiteral("alt+question")));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !closer.title.isEmpty(); }, 3000));
        EXPECT_EQ(closer.title, QStringLiteral("About"));
    }
    {
        // Shortcuts fire only in the active window; without a window manager
        // nobody hands the focus back when the box closes.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ModalCloser closer(Qt::Key_Escape);
        QTest::keyClick(&View(), Qt::Key_Slash, Qt::AltModifier);
        EXPECT_EQ(closer.title, QStringLiteral("About"));
    }
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// F1 from the X server opens Help > Controls, which lists every key and drag.
TEST_F(WindowTest, F1ListsEveryKeyAndDrag) {
    QStringList listed;
    QString title;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) return;
        watch.stop();
        title = box->windowTitle();
        if (const auto* table = box->findChild<QTableWidget*>())
            for (int row = 0; row < table->rowCount(); ++row) listed << table->item(row, 0)->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    watch.start(20);
    ASSERT_TRUE(RealKey(QStringLiteral("F1")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !title.isEmpty(); }, 3000));
    EXPECT_EQ(title, QStringLiteral("Controls"));
    for (const char* input : {"Up / Down", "Left or A / Right or D", "W / S", "Mouse wheel", "Left drag", "Right drag",
                              "Middle drag", "F", "Ctrl + keypad minus / plus", "Ctrl + O", "F5", "F1",
                              "Page Down / Page Up", "Ctrl + S", "Alt + / or Alt + ?", "Escape"})
        EXPECT_TRUE(listed.contains(QLatin1String(input))) << input;
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Options > Model > Fit does what F does.
TEST_F(WindowTest, TheFitItemFitsTheModel) {
    const float corner = State().model.verts[0];
    window->RunCommand(CommandId::ScaleDown);
    QTest::keyClick(&View(), Qt::Key_Up);
    window->Action(CommandId::Fit)->trigger();
    EXPECT_TRUE(State().fitted);
    EXPECT_NEAR(State().model.verts[0], corner, 1e-5f);
    EXPECT_EQ(Eye().z, 20.0f);
}

// The status bar: the shown model's file, format, counts, size and load
// time, and the last warning, here a texture the model names that is not there.
TEST_F(WindowTest, TheStatusBarDescribesTheModelAndTheLastWarning) {
    const auto status = [this] { return window->findChild<QLabel*>(QStringLiteral("modelStatus"))->text(); };
    const auto warning = [this] { return window->findChild<QLabel*>(QStringLiteral("lastWarning"))->text(); };
    ASSERT_TRUE(window->statusBar()->isVisible());
    EXPECT_TRUE(
        status().startsWith(QStringLiteral("TexturedCube.xml (XML) | 24 vertices | 12 triangles | 1 part | "
                                           "1 texture | size 8 x 8 x 8 | loaded in ")))
        << status().toStdString();
    EXPECT_TRUE(warning().isEmpty());

    const std::string sphere = TESSA_SOURCE_DIR "/Assets/examples/sphere.xml";
    Mesh read;
    ASSERT_TRUE(ReadModel(sphere, ModelFormat::XML, read));
    window->OpenFile(sphere);
    const QString counts = QStringLiteral("sphere.xml (XML) | %1 vertices | %2 triangles | 1 part | 1 texture | size ")
                               .arg(read.numVerts)
                               .arg(read.numFaces);
    EXPECT_TRUE(status().startsWith(counts)) << status().toStdString();
    EXPECT_TRUE(status().contains(QRegularExpression(QStringLiteral(" \\| loaded in [0-9.]+ m?s$"))));
    // Scaled down with the keypad, then fitted with F: the size follows.
    const QString before = status();
    QTest::keyClick(&View(), Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(status().startsWith(counts));
    EXPECT_NE(status().toStdString(), before.toStdString());
    QTest::keyClick(&View(), Qt::Key_F);
    EXPECT_TRUE(status().contains(QStringLiteral("| size 8 x 8 x 8 |"))) << status().toStdString();

    // The same sphere naming a texture that is missing: shown without it, and said so.
    TempDir scratch;
    std::ifstream in(sphere);
    std::string xml{std::istreambuf_iterator<char>(in), {}};
    xml.replace(xml.find("Assets/crate.bmp"), std::string_view("Assets/crate.bmp").size(), "missing.bmp");
    const std::string bare = scratch.File("bare.xml");
    ASSERT_TRUE(WriteFile(bare, xml));
    window->OpenFile(bare);
    EXPECT_TRUE(status().startsWith(QStringLiteral("bare.xml (XML) | %1 vertices").arg(read.numVerts)));
    EXPECT_TRUE(status().contains(QStringLiteral("| 0 textures |")));
    EXPECT_TRUE(warning().startsWith(QStringLiteral("Texture File Not Found (BMP): missing.bmp")))
        << warning().toStdString();
    ASSERT_EQ(messages.size(), 1u);  // in its box as well
    messages.clear();
    // The next model that opens cleanly clears it.
    window->OpenFile(sphere);
    EXPECT_TRUE(warning().isEmpty());
}

// File > Recent Files: the models opened, newest first; a pick opens it
// again, and a file that is gone is taken off the list with a message.
TEST_F(WindowTest, RecentFilesListTheModelsOpened) {
    window_settings::SetRecentFiles({});
    TempDir scratch;
    const std::string torus = scratch.File("torus.bin"), gone = scratch.File("gone.bin");
    std::filesystem::copy_file(TESSA_SOURCE_DIR "/Assets/examples/torus.bin", torus);
    std::filesystem::copy_file(TESSA_SOURCE_DIR "/Assets/examples/torus.bin", gone);
    const std::string sphere = TESSA_SOURCE_DIR "/Assets/examples/sphere.xml";
    window->OpenFile(gone);
    window->OpenFile(sphere);
    dialogAnswer = torus;  // and one through File > Open
    window->Action(CommandId::Open)->trigger();
    ASSERT_EQ(State().modelPath, torus);
    window->OpenFile(TESSA_SOURCE_DIR "/Assets/examples/no-such-model.bin");  // never listed
    ASSERT_EQ(messages.size(), 1u);
    messages.clear();

    QMenu* recent = Menu(QStringLiteral("Recent &Files"));
    ASSERT_NE(recent, nullptr);
    // The menu's items as it opens.
    const auto items = [&] {
        recent->popup(window->mapToGlobal(QPoint(20, 40)));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(recent));
        std::vector<std::string> texts;
        for (const QAction* action : recent->actions()) texts.push_back(action->text().toStdString());
        recent->hide();
        return texts;
    };
    const std::string sphereFile = QFileInfo(QString::fromStdString(sphere)).absoluteFilePath().toStdString();
    ASSERT_EQ(items(), (std::vector<std::string>{"&1 " + torus, "&2 " + sphereFile, "&3 " + gone}));
    // The File dialog starts where the last file was picked.
    EXPECT_EQ(window_settings::LastFolder().toStdString(), scratch.Path().string());

    items();
    recent->actions()[1]->trigger();
    EXPECT_EQ(State().modelPath, sphereFile);
    std::filesystem::remove(gone);
    items();
    recent->actions()[2]->trigger();
    EXPECT_EQ(State().modelPath, sphereFile);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(gone), std::string::npos) << messages[0];
    messages.clear();
    EXPECT_EQ(items(), (std::vector<std::string>{"&1 " + sphereFile, "&2 " + torus}));
}

// Without a scripted answer the window runs the toolkit's file dialog: it
// opens in the folder of the file picked last.
TEST(WindowOpenDialog, StartsInTheFolderOfTheLastPick) {
    const TempDir folder;
    window_settings::SetLastFolder(QString::fromStdString(folder.Path().string()));
    MainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.View().IsSceneReady(); }, 5000));
    QString shown;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        watch.stop();
        shown = dialog->directory().absolutePath();
        dialog->reject();
    });
    watch.start(20);
    window.RunCommand(CommandId::Open);
    EXPECT_EQ(shown.toStdString(), folder.Path().string());
    window.close();
}

// The window's size and place are kept: the next window opens as the last one closed.
TEST(WindowGeometry, TheNextWindowHasTheSizeTheLastOneClosedWith) {
    window_settings::SetGeometry({});
    {
        MainWindow first;
        first.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
        first.resize(640, 480);
        ASSERT_TRUE(QTest::qWaitFor([&] { return first.size() == QSize(640, 480); }, 3000));
        first.close();
    }
    MainWindow second;
    EXPECT_EQ(second.size(), QSize(640, 480));
    second.close();
    window_settings::SetGeometry({});
}

// Page Down and Page Up from the X server step through the models of the
// shown one's folder; the title and the file following go with them.
TEST_F(WindowTest, PageDownOpensTheNextModelInTheFolder) {
    TempDir folder;
    const std::string torus = TESSA_SOURCE_DIR "/Assets/examples/torus.bin";
    for (const char* name : {"a.bin", "b.bin"}) std::filesystem::copy_file(torus, folder.File(name));
    std::filesystem::copy_file(TESSA_SOURCE_DIR "/Assets/examples/sphere.xml", folder.File("c.xml"));
    ASSERT_TRUE(WriteFile(folder.File("b.txt"), "not a model"));
    window->OpenFile(folder.File("a.bin"));
    ASSERT_EQ(window->windowTitle(), QStringLiteral("a.bin - Tessaview"));

    const auto press = [&](const char* key, const char* name) {
        const std::string path = folder.File(name);
        return RealKey(QLatin1String(key)) && QTest::qWaitFor([&] { return State().modelPath == path; }, 3000);
    };
    ASSERT_TRUE(press("Next", "b.bin"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("b.bin - Tessaview"));
    ASSERT_TRUE(press("Next", "c.xml"));
    EXPECT_EQ(State().modelFormat, ModelFormat::XML);
    ASSERT_TRUE(press("Next", "a.bin"));  // round the end
    ASSERT_TRUE(press("Prior", "c.xml"));
    ASSERT_TRUE(press("Prior", "b.bin"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("b.bin - Tessaview"));

    // The window now follows b.bin: written half, its reload fails in the title.
    std::ifstream in(torus, std::ios::binary);
    const std::string whole{std::istreambuf_iterator<char>(in), {}};
    ASSERT_TRUE(WriteFile(folder.File("b.bin"), whole.substr(0, whole.size() / 2)));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->windowTitle().startsWith(QStringLiteral("b.bin (reload failed: ")); }, 5000));
}

// Ctrl+S from the X server: File > Save Picture writes what the view shows,
// at its size, opaque.
TEST_F(WindowTest, CtrlSSavesThePictureOfTheView) {
    State().modelRotY = 30.0f;
    TempDir scratch;
    const std::string path = scratch.File("view.png");
    pictureAnswer = path;
    ASSERT_TRUE(RealKey(QStringLiteral("ctrl+s")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(path); }, 3000));
    RgbaImage saved;
    std::string error;
    ASSERT_TRUE(ReadPng(path, saved, error)) << error;
    const QImage shown = View().grabFramebuffer();
    ASSERT_EQ(saved.width, shown.width());
    ASSERT_EQ(saved.height, shown.height());
    EXPECT_EQ(QSize(saved.width, saved.height), View().size() * View().devicePixelRatio());
    int differing = 0, model = 0;
    for (int y = 0; y < saved.height; ++y)
        for (int x = 0; x < saved.width; ++x) {
            const std::uint8_t* p = saved.At(x, y);
            const QColor c = shown.pixelColor(x, y);
            differing += (p[0] != c.red() || p[1] != c.green() || p[2] != c.blue() || p[3] != 255) ? 1 : 0;
            model += ShowsModel(QColor(p[0], p[1], p[2])) ? 1 : 0;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(model, saved.width * saved.height / 10);
    // Cancelled, nothing is written.
    std::filesystem::remove(path);
    window->Action(CommandId::SavePicture)->trigger();
    EXPECT_FALSE(std::filesystem::exists(path));
    // A folder that is not there: said in a box.
    pictureAnswer = scratch.File("no/such/folder/view.png");
    window->Action(CommandId::SavePicture)->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("no/such/folder/view.png"), std::string::npos) << messages[0];
    messages.clear();
}

// Options > Model > Show Normals, a check item: each vertex's normal as a
// short yellow line; off again, none.
TEST_F(WindowTest, ShowNormalsDrawsLines) {
    State().modelRotX = 20.0f;
    State().modelRotY = 30.0f;
    const auto yellow = [this] {
        const QImage frame = View().grabFramebuffer();
        int count = 0;
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x) {
                const QColor c = frame.pixelColor(x, y);
                count += c.red() > 247 && c.green() > 247 && c.blue() < 8 ? 1 : 0;
            }
        return count;
    };
    EXPECT_EQ(yellow(), 0);
    QAction* item = window->Action(CommandId::ShowNormals);
    ASSERT_TRUE(item->isCheckable());
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_GT(yellow(), 20);
    EXPECT_EQ(CheckedWhenOpened(QStringLiteral("&Model"), {CommandId::ShowNormals}), std::vector<bool>{true});
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(yellow(), 0);
}

TEST_F(WindowTest, AboutBoxClosesOnOkEnterEscapeAndItsCloseBox) {
    struct Way {
        const char* name;
        std::function<void(AboutDialog&)> close;
        int result;
    };
    const Way ways[] = {
        {"OK", [](AboutDialog& d) { QTest::mouseClick(d.findChild<QPushButton*>(), Qt::LeftButton); },
         QDialog::Accepted},
        {"Enter", [](AboutDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, QDialog::Accepted},
        {"keypad Enter", [](AboutDialog& d) { QTest::keyClick(&d, Qt::Key_Enter, Qt::KeypadModifier); },
         QDialog::Accepted},
        {"Escape", [](AboutDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected},
        {"close box", [](AboutDialog& d) { d.close(); }, QDialog::Rejected},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        AboutDialog about(window.get());
        about.setResult(-1);
        about.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
        way.close(about);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !about.isVisible(); }, 2000));
        EXPECT_EQ(about.result(), way.result);
    }
}

TEST_F(WindowTest, ExitReleasesTheTexturesAndClosesTheWindow) {
    ASSERT_NE(State().testTexture, 0u);
    window->Action(CommandId::Exit)->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(State().testTexture, 0u);
    EXPECT_EQ(State().textures.own.Name(), 0u);
}

TEST_F(WindowTest, EscapeDuringADragClosesTheWindow) {
    QTest::mousePress(&View(), Qt::RightButton, {}, QPoint(50, 50));
    QTest::keyClick(&View(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(State().testTexture, 0u);
}

TEST_F(WindowTest, LongLoadsShowAProgressBoxWhoseCancelStopsThem) {
    window->BeginProgress("/models/big.bin", 1000);
    QProgressDialog* box = window->findChild<QProgressDialog*>();
    ASSERT_NE(box, nullptr);
    // It shows only once the load has taken, or is bound to take, half a second.
    EXPECT_FALSE(box->isVisible());
    QElapsedTimer clock;
    clock.start();
    std::uint64_t done = 0;
    while (!box->isVisible() && clock.elapsed() < 3000) {
        QTest::qWait(50);
        ASSERT_TRUE(window->UpdateProgress(done += 10));
    }
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(box->labelText().contains(QStringLiteral("big.bin")));
    EXPECT_EQ(box->value(), static_cast<int>(done));  // of 1000 steps
    box->cancel();
    EXPECT_FALSE(window->UpdateProgress(done + 10));
    window->EndProgress();
    EXPECT_EQ(window->findChild<QProgressDialog*>(), nullptr);
}

// The dialog lists files by wildcard, case-sensitively: each filter spells out both cases.
TEST(WindowFileFilters, ListModelFilesWhateverTheCaseOfTheirExtension) {
    // Every model file first, then one filter a format, then everything.
    const QStringList all = MainWindow::FileFilters();
    ASSERT_EQ(all.size(), 11);
    EXPECT_TRUE(all[0].startsWith(QStringLiteral("Models (")));
    const QStringList filters{all[1], all[2], all[10]};
    const auto matches = [](const QString& filter, const QString& name) {
        const QStringList patterns = filter.section(QLatin1Char('('), 1).chopped(1).split(QLatin1Char(' '));
        return std::any_of(patterns.begin(), patterns.end(), [&](const QString& pattern) {
            return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).match(name).hasMatch();
        });
    };
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("XML (")));
    EXPECT_TRUE(filters[1].startsWith(QStringLiteral("BIN (")));
    EXPECT_TRUE(filters[2].startsWith(QStringLiteral("All (")));
    for (const char* name : {"cube.xml", "CUBE.XML", "Cube.Xml"}) EXPECT_TRUE(matches(filters[0], name)) << name;
    for (const char* name : {"torus.bin", "TORUS.BIN", "t.bIn"}) EXPECT_TRUE(matches(filters[1], name)) << name;
    for (const char* name : {"cube.bin", "cube.xml.gz", "xml"}) EXPECT_FALSE(matches(filters[0], name)) << name;
    EXPECT_TRUE(matches(filters[2], QStringLiteral("anything")));
    for (const char* name : {"a.obj", "B.PLY", "c.Stl", "d.gltf", "E.GLB", "f.fbx", "g.DAE", "h.xml", "i.BIN"})
        EXPECT_TRUE(matches(all[0], name)) << name;
    EXPECT_FALSE(matches(all[0], QStringLiteral("model.md5mesh")));
}

TEST(WindowOpenFile, AModelNamedBeforeTheSceneIsUpOpensOnceItIs) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("tessa_window_" + std::to_string(QCoreApplication::applicationPid()) + ".bin"))
                                 .string();
    Mesh triangle;
    triangle.numVerts = 3;
    triangle.numFaces = 1;
    ASSERT_TRUE(triangle.AllocVerts() && triangle.AllocNormals() && triangle.AllocUVs() && triangle.AllocFaces());
    triangle.verts[0] = 42.0f;
    const WriteResult written = WriteBIN(triangle, path);
    ASSERT_TRUE(written) << written.reason;

    std::vector<std::string> messages;
    ShellDialogs dialogs;
    dialogs.message = [&](std::string_view text, std::string_view) { messages.emplace_back(text); };
    MainWindow window(std::move(dialogs));
    window.OpenFile(path);
    window.show();
    const Viewer& viewer = window.ViewerState();
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer.model.numVerts == 3 && viewer.model.verts[0] == 42.0f; }, 5000));
    EXPECT_EQ(viewer.checkedTexture, CommandId::TexBMP);
    window.OpenFile(path + ".missing.bin");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(path + ".missing.bin"), std::string::npos);
    EXPECT_EQ(viewer.model.verts[0], 42.0f);
    window.close();
    std::filesystem::remove(path);
}

// The real program: Escape from the X server ends it with status 0.
TEST(ViewerProcess, EscapeEndsTheProgramWithStatusZero) {
    QProcess viewer;
    viewer.setProgram(QStringLiteral(TESSAVIEW_PATH));
    viewer.setWorkingDirectory(QStringLiteral(TESSA_SOURCE_DIR));
    viewer.setProcessChannelMode(QProcess::ForwardedChannels);
    // In a sanitizer build the toolkit and the GL driver unload their modules
    // at exit, so their leftover blocks can't be told from ours: the child
    // skips the leak check, which the in-process window tests cover.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LSAN_OPTIONS"),
                       environment.value(QStringLiteral("LSAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    viewer.setProcessEnvironment(environment);
    viewer.start();
    ASSERT_TRUE(viewer.waitForStarted(5000));
    QString id;
    const bool found = Xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--pid"), QString::number(viewer.processId())},
                               &id);
    if (!found || id.isEmpty()) viewer.kill();
    ASSERT_TRUE(found && !id.isEmpty());
    id = id.section(QLatin1Char('\n'), 0, 0);
    ASSERT_TRUE(Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id}));
    ASSERT_TRUE(Xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
    // It may be gone already: the event loop of the xdotool waits notices its end.
    const bool finished = QTest::qWaitFor([&] { return viewer.state() == QProcess::NotRunning; }, 20000);
    if (!finished) viewer.kill();
    ASSERT_TRUE(finished);
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer.exitCode(), 0);
}

// The real program on model, with TESSAVIEW_QUIT_AFTER_FIRST_FRAME: the
// benchmark's way to time the start. It ends by itself, with status 0, once
// it has shown the model. Extra variables go into its environment.
void RunToFirstFrame(const QString& model, const QProcessEnvironment& extra = {}) {
    QProcess viewer;
    viewer.setProgram(QStringLiteral(TESSAVIEW_PATH));
    viewer.setArguments({model});
    viewer.setWorkingDirectory(QStringLiteral(TESSA_SOURCE_DIR));
    viewer.setProcessChannelMode(QProcess::ForwardedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LSAN_OPTIONS"),
                       environment.value(QStringLiteral("LSAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    environment.insert(QStringLiteral("TESSAVIEW_QUIT_AFTER_FIRST_FRAME"), QStringLiteral("1"));
    environment.insert(extra);
    viewer.setProcessEnvironment(environment);
    viewer.start();
    ASSERT_TRUE(viewer.waitForStarted(5000));
    const bool finished = viewer.waitForFinished(60000);
    if (!finished) viewer.kill();
    ASSERT_TRUE(finished);
    EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer.exitCode(), 0);
}

TEST(ViewerProcess, QuitAfterFirstFrameEndsOnceTheModelShows) {
    RunToFirstFrame(QStringLiteral(TESSA_SOURCE_DIR "/Assets/examples/torus.bin"));
}

// Two runs of the program with their settings in a folder of the test's: the
// second keeps the first one's file below its own, and both the window's size.
TEST(ViewerProcess, RecentFilesSurviveARestart) {
    const TempDir config;
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config.Path().string()));
    const QString torus = QStringLiteral(TESSA_SOURCE_DIR "/Assets/examples/torus.bin");
    const QString sphere = QStringLiteral(TESSA_SOURCE_DIR "/Assets/examples/sphere.xml");
    RunToFirstFrame(torus, extra);
    RunToFirstFrame(sphere, extra);
    const QSettings saved(QString::fromStdString(config.File("tessaview/tessaview.conf")), QSettings::IniFormat);
    EXPECT_EQ(
        saved.value(QStringLiteral("recentFiles")).toStringList().join(QLatin1Char('\n')).toStdString(),
        (QFileInfo(sphere).absoluteFilePath() + QLatin1Char('\n') + QFileInfo(torus).absoluteFilePath()).toStdString());
    EXPECT_FALSE(saved.value(QStringLiteral("window/geometry")).toByteArray().isEmpty());
}

// Messages raised while the GL scene is set up wait until it is ready and
// then show in the order they came: here the test texture and the default
// model are both missing.
TEST(WindowStart, MessagesFromTheSceneSetUpShowOnceTheSceneIsReady) {
    const TempDir empty;
    const ScopedCurrentPath inEmpty(empty.Path());
    std::vector<std::string> messages;
    bool readyWhenShown = true;
    std::unique_ptr<MainWindow> window;
    ShellDialogs dialogs;
    dialogs.message = [&](std::string_view text, std::string_view) {
        readyWhenShown = readyWhenShown && window && window->View().IsSceneReady();
        messages.emplace_back(text);
    };
    window = std::make_unique<MainWindow>(std::move(dialogs), empty.Path().string());
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.size() >= 2; }, 5000)) << messages.size();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Texture File Not Found (BMP)");
    EXPECT_EQ(messages[1].rfind("Could not load the model \"", 0), 0u) << messages[1];
    EXPECT_TRUE(readyWhenShown);
    EXPECT_EQ(window->ViewerState().model.numVerts, 0u);
    window->close();
}

// A model named at the start replaces the default model, which is never
// read (here there is none: no message says so); read ahead or not, it is
// the model shown. One that can't be opened says why, and the default model
// is shown instead.
TEST(WindowStart, AModelNamedAtTheStartIsShownInsteadOfTheDefaultModel) {
    const std::string torus = TESSA_SOURCE_DIR "/Assets/examples/torus.bin";
    Mesh expected;
    ASSERT_TRUE(ReadModel(torus, ModelFormat::BIN, expected));
    const TempDir empty;
    for (const bool readAhead : {false, true}) {
        std::vector<std::string> messages;
        ShellDialogs dialogs;
        dialogs.message = [&](std::string_view text, std::string_view) { messages.emplace_back(text); };
        std::optional<ModelReadAhead> read;
        if (readAhead) read.emplace(torus, ReadOptions{});
        MainWindow window(std::move(dialogs), empty.Path().string());
        window.OpenAtStart(torus, read ? &*read : nullptr);
        window.show();
        const Viewer& viewer = window.ViewerState();
        EXPECT_TRUE(QTest::qWaitFor([&] { return viewer.modelPath == torus; }, 5000)) << readAhead;
        EXPECT_EQ(viewer.model.numVerts, expected.numVerts) << readAhead;
        EXPECT_EQ(messages, std::vector<std::string>{"Texture File Not Found (BMP)"}) << readAhead;
        window.close();
    }

    std::vector<std::string> messages;
    ShellDialogs dialogs;
    dialogs.message = [&](std::string_view text, std::string_view) { messages.emplace_back(text); };
    MainWindow window(std::move(dialogs), TESSA_SOURCE_DIR);
    const std::string missing = empty.File("missing.bin");
    window.OpenAtStart(missing, nullptr);
    window.show();
    const Viewer& viewer = window.ViewerState();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.model.numVerts != 0; }, 5000));
    EXPECT_TRUE(viewer.modelPath.empty());
    EXPECT_TRUE(viewer.model.HasOwnLook()) << "the default model is the textured cube";
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(missing), std::string::npos) << messages[0];
    window.close();
}

}  // namespace
