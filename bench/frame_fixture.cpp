#include "frame_fixture.h"

#include <epoxy/gl.h>

#include <filesystem>
#include <sstream>

#include "app/cli/stream_shell.h"
#include "offscreen/headless_context.h"
#include "viewer/scene.h"
#include "viewer/viewer.h"

namespace {
constexpr int kWidth = 800;
constexpr int kHeight = 600;
}  // namespace

FrameFixture::FrameFixture() : viewer_(std::make_unique<Viewer>()) {}

std::unique_ptr<FrameFixture> FrameFixture::Create(const std::string& modelPath, std::string& error) {
    std::unique_ptr<FrameFixture> fixture(new FrameFixture);
    fixture->context_ = HeadlessContext::Create(kWidth, kHeight, error);
    if (!fixture->context_) return nullptr;
    std::ostringstream messages;
    StreamShell shell(messages);
    // The default model and the test textures come from the current directory.
    Viewer& viewer = *fixture->viewer_;
    viewer.startupDir = std::filesystem::current_path().string();
    InitViewer(viewer, shell);
    ResizeViewport(viewer, kWidth, kHeight);
    if (!OpenModel(viewer, modelPath, shell) || shell.Messages() != 0) {
        error = "cannot open " + modelPath + ": " + messages.str();
        return nullptr;
    }
    return fixture;
}

FrameFixture::~FrameFixture() {
    if (context_) ShutdownScene(*viewer_);
}

void FrameFixture::ViewerFrame() {
    RenderFrame(*viewer_);
    glFinish();
}

void FrameFixture::BeginBareFrames() {
    // What RenderFrame sets for a sphere-mapped test texture, once.
    const Viewer& viewer = *viewer_;
    const Mesh& model = viewer.model;
    PushModelView(viewer);
    glBindTexture(GL_TEXTURE_2D, viewer.testTexture);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    for (const GLenum coord : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) glEnable(coord);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, model.verts.data());
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, model.normals.data());
}

void FrameFixture::BareFrame() {
    const Mesh& model = viewer_->model;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * static_cast<std::size_t>(model.numFaces)), GL_UNSIGNED_INT,
                   model.faces.data());
    glFinish();
}

void FrameFixture::EndBareFrames() {
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    for (const GLenum coord : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) glDisable(coord);
    glPopMatrix();
}
