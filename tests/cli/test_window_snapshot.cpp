// The snapshot and the window draw the same picture: each case sets the
// same options in a real window (under Xvfb) and on the command line, with
// the snapshot's size equal to the window's drawing area.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/png_file.h"
#include "app/shell/gl_view.h"
#include "app/shell/main_window.h"
#include "app/viewer.h"
#include "math/camera.h"
#include "model/model_test_support.h"
#include "run_program.h"

namespace {

struct Case {
    const char* name;
    std::vector<int> commands;        // menu items picked in the window
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

Comparison Compare(const QImage& window, const RgbaImage& snapshot) {
    Comparison c;
    double sum = 0;
    for (int y = 0; y < snapshot.height; ++y) {
        const uchar* row = window.constScanLine(y);
        for (int x = 0; x < snapshot.width; ++x) {
            const uchar* w = row + 4 * x;
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

class WindowSnapshotTest : public testing::TestWithParam<Case> {};

TEST_P(WindowSnapshotTest, SameOptionsGiveTheSamePicture) {
    const Case& c = GetParam();
    checkedTexture = CMD_TEX_BMP;
    checkedLight = CMD_LIGHT_ON;
    checkedRenderMode = CMD_RENDER_SOLID;
    checkedCulling = CMD_CULL_ON;
    checkedWinding = CMD_WINDING_CCW;
    dragMode = DragNone;

    auto window = std::make_unique<MainWindow>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->View().IsSceneReady(); }));
    for (const int id : c.commands) window->RunCommand(id);
    modelRotX = c.rotX;
    modelRotY = c.rotY;
    // The frame as the window draws it, at its drawing area's size.
    const QImage frame = window->View().grabFramebuffer().convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    window->close();
    window.reset();

    ScratchDir scratch;
    const std::string out = scratch.File("snapshot.png");
    std::vector<std::string> args = {TESSAVIEW_PATH, "--snapshot", out, "--size",
                                     std::to_string(frame.width()) + "x" + std::to_string(frame.height())};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ProgramResult result = RunProgram(args);
    ASSERT_EQ(result.status, 0) << result.err;
    RgbaImage snapshot;
    std::string error;
    ASSERT_TRUE(ReadPng(out, snapshot, error)) << error;
    ASSERT_EQ(snapshot.width, frame.width());
    ASSERT_EQ(snapshot.height, frame.height());

    const Comparison diff = Compare(frame, snapshot);
    EXPECT_LT(diff.meanDifference, 0.5) << c.name;
    EXPECT_LT(diff.differingPixels, static_cast<std::size_t>(snapshot.width * snapshot.height / 1000)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Options, WindowSnapshotTest,
    testing::Values(Case{"default", {}, {}},
                    Case{"cubemap_turned", {CMD_TEX_BMP_CUBEMAP}, {"--texture", "bmp-cubemap", "--rotate", "30,45"},
                         30.0f, 45.0f},
                    Case{"wireframe_unlit", {CMD_TEX_OFF, CMD_LIGHT_OFF, CMD_RENDER_WIREFRAME},
                         {"--texture", "off", "--no-light", "--wireframe"}},
                    Case{"tga_compressed_inside", {CMD_TEX_TGA_COMPRESSED, CMD_WINDING_CW},
                         {"--texture", "tga-compressed", "--cw", "--rotate", "-20,10"}, -20.0f, 10.0f}),
    [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

}  // namespace
