#include "app/cli/snapshot.h"

#include <memory>
#include <optional>
#include <vector>

#include "viewer/startup_dir.h"
#include "app/cli/stream_shell.h"
#include "viewer/commands.h"
#include "offscreen/headless_context.h"
#include "offscreen/png_file.h"
#include "viewer/scene.h"
#include "viewer/viewer.h"

namespace {

// The menu items that the options pick, in the order a user would pick them
// after opening the model (opening re-points the texture group).
std::vector<CommandId> OptionCommands(const SnapshotOptions& options) {
    std::vector<CommandId> ids;
    if (options.textureCommand) ids.push_back(*options.textureCommand);
    if (options.noLight) ids.push_back(CommandId::LightOff);
    if (options.wireframe) ids.push_back(CommandId::RenderWireframe);
    if (options.noCull) ids.push_back(CommandId::CullOff);
    if (options.clockwise) ids.push_back(CommandId::WindingCW);
    return ids;
}

// Releases the viewer's textures while the context is still current.
struct SceneGuard {
    Viewer& viewer;
    ~SceneGuard() { ShutdownScene(viewer); }
};

// The window shows the frame opaque whatever its alpha; so does the picture.
void MakeOpaque(RgbaImage& image) {
    for (std::size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
}

}  // namespace

int RunSnapshot(const std::string& modelPath, const SnapshotOptions& options, const ReadOptions& read,
                std::ostream& err) {
    // The model file is read while the GL context is made and the driver loads.
    std::optional<ModelReadAhead> readAhead;
    if (!modelPath.empty()) readAhead.emplace(modelPath, read);
    std::string error;
    const std::unique_ptr<HeadlessContext> context = HeadlessContext::Create(options.width, options.height, error);
    if (!context) {
        err << "tessaview: no OpenGL context: " << error << '\n';
        return kExitRenderFailed;
    }
    PinLoadedLibraries();

    Viewer viewer;
    viewer.startupDir = StartupDirForThisProcess();
    viewer.read = read;
    // One frame: only the test texture it draws with is uploaded.
    viewer.deferTestTextures = true;
    StreamShell shell(err);
    const SceneGuard guard{viewer};
    // The model given replaces the default one, which need not be loaded.
    InitViewer(viewer, shell, modelPath.empty() ? DefaultModel::Load : DefaultModel::Skip);
    if (readAhead) readAhead->Open(viewer, shell);
    if (options.fit) FitModel(viewer, shell);
    for (const CommandId id : OptionCommands(options)) DoCommand(viewer, id, shell);
    // In the window this item draws with whatever texture happens to be
    // bound; a picture of that would only mislead.
    if (viewer.textureMode == TextureMode::ModelsOwn && !viewer.model.HasOwnLook())
        shell.ShowMessage("The model has no texture of its own (--texture own)", "Error");
    if (shell.Messages() != 0) return kExitLoadFailed;
    UploadPendingTestTexture(viewer, shell);
    if (shell.Messages() != 0) return kExitLoadFailed;

    if (options.rotateX) viewer.modelRotX = *options.rotateX;
    if (options.rotateY) viewer.modelRotY = *options.rotateY;
    ResizeViewport(viewer, options.width, options.height);
    RenderFrame(viewer);
    RgbaImage image = context->ReadPixels();
    MakeOpaque(image);
    if (!WritePng(options.outPath, image, error)) {
        err << "tessaview: cannot write " << options.outPath << ": " << error << '\n';
        return kExitRenderFailed;
    }
    return kExitOk;
}
