// The status bar's account of a model, without a window or GL.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "viewer/model_status.h"

namespace {

// A triangle 2 wide, 3 high and half a unit deep.
void MakeTriangle(Mesh& mesh) {
    mesh.numVerts = 3;
    mesh.numFaces = 1;
    ASSERT_TRUE(mesh.AllocVerts() && mesh.AllocFaces());
    const float verts[9] = {-1, 0, 0, 1, 1, 0.5f, 0, 3, 0.25f};
    std::copy(std::begin(verts), std::end(verts), mesh.verts.data());
}

TEST(ModelStatus, NamesTheFileAndCountsWhatTheModelHolds) {
    Viewer viewer;
    EXPECT_EQ(ModelStatusText(viewer), "No model");

    MakeTriangle(viewer.model);
    viewer.modelPath = "/models/scans/model.bin";
    viewer.modelFormat = ModelFormat::BIN;
    viewer.loadSeconds = 0.25;
    EXPECT_EQ(ModelStatusText(viewer),
              "model.bin (BIN) | 3 vertices | 1 triangle | 1 part | 0 textures | size 2 x 3 x 0.5 | loaded in 250 ms");

    // The default model is named by its file; parts are counted; a long load in seconds.
    viewer.modelPath.clear();
    viewer.model.parts = {{0, 1, 0}, {1, 0, 0}, {1, 0, 0}};
    viewer.model.Scale(10.0f);
    viewer.loadSeconds = 12.345;
    EXPECT_EQ(ModelStatusText(viewer),
              "TexturedCube.xml (XML) | 3 vertices | 1 triangle | 3 parts | 0 textures | "
              "size 20 x 30 x 5 | loaded in 12.3 s");
}

}  // namespace
