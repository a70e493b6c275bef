// The snapshot and the window draw the same picture: each case sets the
// same options in a real window (under Xvfb) and on the command line, with
// the snapshot's size equal to the window's drawing area. And the program
// started with a model shows that model in its window.
#include <gtest/gtest.h>

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/commands.h"
#include "offscreen/png_file.h"
#include "app/shell/gl_view.h"
#include "app/shell/main_window.h"
#include "viewer/viewer.h"
#include "math/camera.h"
#include "mesh/mesh.h"
#include "mesh/model_test_support.h"
#include "run_program.h"

namespace {

struct Case {
    const char* name;
    std::vector<CommandId> commands;   // menu items picked in the window
    std::vector<std::string> options;  // the same on the command line
    float rotX = 0.0f;
    float rotY = 0.0f;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// Per pixel, the largest channel difference; then how many pixels differ
// by more than a few steps (rasterisers may round an edge differently).
struct Comparison {
    double meanDifference = 0;
    std::size_t differingPixels = 0;
};

// window must be RGBA8888 (premultiplied or not: the frame is opaque where
// it matters) and at least as large as snapshot; its part at (left, top) is compared.
Comparison Compare(const QImage& window, const RgbaImage& snapshot, int left = 0, int top = 0) {
    Comparison c;
    double sum = 0;
    for (int y = 0; y < snapshot.height; ++y) {
        const uchar* row = window.constScanLine(y + top);
        for (int x = 0; x < snapshot.width; ++x) {
            const uchar* w = row + 4 * (x + left);
            const std::uint8_t* s = snapshot.At(x, y);
            int worst = 0;
            for (int k = 0; k < 3; ++k) {
                const int d = std::abs(w[k] - s[k]);
                sum += d;
                worst = std::max(worst, d);
            }
            if (worst > 8) ++c.differingPixels;
        }
    }
    c.meanDifference = sum / (3.0 * snapshot.width * snapshot.height);
    return c;
}

// Runs the program for a snapshot of width x height with extra arguments.
RgbaImage Snapshot(int width, int height, const std::vector<std::string>& extra, const TempDir& scratch) {
    const std::string out = scratch.File("snapshot.png");
    std::vector<std::string> args = {TESSAVIEW_PATH, "--snapshot", out, "--size",
                                     std::to_string(width) + "x" + std::to_string(height)};
    args.insert(args.end(), extra.begin(), extra.end());
    const ProgramResult result = RunProgram(args);
    EXPECT_EQ(result.status, 0) << result.err;
    RgbaImage snapshot;
    std::string error;
    // Everything after compares this picture: stop the test here (gtest reports the exception).
    if (!ReadPng(out, snapshot, error)) throw std::runtime_error("no snapshot: " + error + "\n" + result.err);
    return snapshot;
}

class WindowSnapshotTest : public testing::TestWithParam<Case> {};

TEST_P(WindowSnapshotTest, SameOptionsGiveTheSamePicture) {
    const Case& c = GetParam();

    auto window = std::make_unique<MainWindow>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->View().IsSceneReady(); }));
    for (const CommandId id : c.commands) window->RunCommand(id);
    window->ViewerState().modelRotX = c.rotX;
    window->ViewerState().modelRotY = c.rotY;
    // The frame as the window draws it, at its drawing area's size.
    const QImage frame = window->View().grabFramebuffer().convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    window->close();
    window.reset();

    const TempDir scratch;
    const RgbaImage snapshot = Snapshot(frame.width(), frame.height(), c.options, scratch);
    ASSERT_EQ(snapshot.width, frame.width());
    ASSERT_EQ(snapshot.height, frame.height());

    const Comparison diff = Compare(frame, snapshot);
    EXPECT_LT(diff.meanDifference, 0.5) << c.name;
    EXPECT_LT(diff.differingPixels, static_cast<std::size_t>(snapshot.width * snapshot.height / 1000)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Options, WindowSnapshotTest,
                         testing::Values(Case{"default", {}, {}},
                                         Case{"cubemap_turned",
                                              {CommandId::TexBMPCubemap},
                                              {"--texture", "bmp-cubemap", "--rotate", "30,45"},
                                              30.0f,
                                              45.0f},
                                         Case{"wireframe_unlit",
                                              {CommandId::TexOff, CommandId::LightOff, CommandId::RenderWireframe},
                                              {"--texture", "off", "--no-light", "--wireframe"}},
                                         Case{"tga_compressed_inside",
                                              {CommandId::TexTGACompressed, CommandId::WindingCW},
                                              {"--texture", "tga-compressed", "--cw", "--rotate", "-20,10"},
                                              -20.0f,
                                              10.0f}),
                         [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

// Where the drawing area sits in a window of this toolkit and display.
QRect DrawingArea() {
    MainWindow probe;
    probe.show();
    if (!QTest::qWaitForWindowExposed(&probe) || !QTest::qWaitFor([&] { return probe.View().IsSceneReady(); }))
        return {};
    const QRect area(probe.View().mapTo(&probe, QPoint(0, 0)), probe.View().size());
    probe.close();
    return area;
}

// Starts program with args in workDir and waits until the drawing area of
// its window shows expected; false if it never does.
bool WindowShows(const QString& program, const QStringList& args, const QString& workDir, const QRect& area,
                 const RgbaImage& expected) {
    QProcess viewer;
    viewer.setProgram(program);
    viewer.setArguments(args);
    viewer.setWorkingDirectory(workDir);
    viewer.setProcessChannelMode(QProcess::ForwardedChannels);
    viewer.start();
    if (!viewer.waitForStarted(5000)) return false;

    WId id = 0;
    const auto findWindow = [&] {
        QProcess search;
        search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                 QStringLiteral("--pid"), QString::number(viewer.processId())});
        search.waitForFinished(5000);
        bool ok = false;
        id = QString::fromUtf8(search.readAllStandardOutput()).split('\n').first().toULongLong(&ok);
        return ok && id != 0;
    };
    Comparison last;
    const auto showsExpected = [&] {
        const QImage grabbed =
            QGuiApplication::primaryScreen()->grabWindow(id).toImage().convertToFormat(QImage::Format_RGBA8888);
        if (grabbed.width() < area.right() + 1 || grabbed.height() < area.bottom() + 1) return false;
        last = Compare(grabbed, expected, area.left(), area.top());
        return last.meanDifference < 0.5;
    };
    const bool shown = QTest::qWaitFor(findWindow, 20000) && QTest::qWaitFor(showsExpected, 20000);
    viewer.terminate();
    viewer.waitForFinished(5000);
    if (!shown) ADD_FAILURE() << "mean difference of the last frame " << last.meanDifference;
    return shown;
}

// What a file manager hands over when a file is dragged onto the window.
bool Drag(MainWindow& window, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = window.View().geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    return drop.isAccepted();
}

TEST(ProgramWindow, DroppedModelFileIsOpened) {
    // A message box would wait for a click that never comes: take messages and questions here, so that
    // a refused file fails the test at once.
    std::vector<std::string> messages;
    ShellDialogs dialogs;
    dialogs.message = [&](std::string_view text, std::string_view) { messages.emplace_back(text); };
    dialogs.askYesNo = [&](std::string_view text, std::string_view) {
        messages.emplace_back(text);
        return false;
    };
    MainWindow window(std::move(dialogs));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.View().IsSceneReady(); }));
    const Mesh& model = window.ViewerState().model;
    ASSERT_EQ(model.numVerts, 24u);

    // Real drags reach only widgets that take drops; these events are sent straight to it.
    EXPECT_TRUE(window.acceptDrops());
    // Only local files are taken.
    EXPECT_FALSE(Drag(window, {QUrl(QStringLiteral("https://example.org/torus.bin"))}));
    const QString torus = QDir::current().absoluteFilePath(QStringLiteral("Assets/examples/torus.bin"));
    EXPECT_TRUE(Drag(window, {QUrl(QStringLiteral("https://example.org/a.xml")), QUrl::fromLocalFile(torus)}));
    // The torus is opened as File > Open would: its own geometry, the BMP test texture.
    const bool done = QTest::qWaitFor([&] { return model.numVerts == 512u || !messages.empty(); }, 5000);
    EXPECT_TRUE(done && model.numVerts == 512u) << model.numVerts;
    EXPECT_EQ(window.ViewerState().checkedTexture, CommandId::TexBMP);
    EXPECT_TRUE(messages.empty()) << messages.front();
    window.close();
}

// The real program with a model argument: once its window is up it shows
// that model, as the snapshot of the same model draws it.
TEST(ProgramWindow, OpensTheModelGivenOnTheCommandLine) {
    const QRect area = DrawingArea();
    ASSERT_FALSE(area.isEmpty());
    const TempDir scratch;
    const RgbaImage expected = Snapshot(area.width(), area.height(), {"Assets/examples/torus.bin"}, scratch);
    ASSERT_EQ(expected.width, area.width());
    EXPECT_TRUE(WindowShows(QStringLiteral(TESSAVIEW_PATH), {QStringLiteral("Assets/examples/torus.bin")},
                            QDir::currentPath(), area, expected));
}

// The installed program's window, started in a folder without assets, shows
// the default model with its own texture.
TEST(ProgramWindow, InstalledWindowFindsItsAssetsFromAnyFolder) {
    const QRect area = DrawingArea();
    ASSERT_FALSE(area.isEmpty());
    const TempDir scratch;
    const RgbaImage expected = Snapshot(area.width(), area.height(), {}, scratch);
    const std::string prefix = TESSA_INSTALL_PREFIX;  // installed by ctest before this test
    ASSERT_TRUE(std::filesystem::exists(prefix + "/bin/tessaview")) << "run through ctest, which installs it";
    std::filesystem::create_directories(scratch.File("empty"));
    EXPECT_TRUE(WindowShows(QString::fromStdString(prefix + "/bin/tessaview"), {},
                            QString::fromStdString(scratch.File("empty")), area, expected));
}

}  // namespace
