// The open-model flow: the format rule picks the loader, a progress scope
// spans the load, and the viewer follows the model that ends up shown.
#include "viewer/open_model.h"

#include <filesystem>
#include <functional>
#include <system_error>

#include "draw/mesh_gl.h"
#include "formats/model_reader.h"
#include "viewer/input.h"
#include "viewer/load_clock.h"
#include "viewer/scene.h"
#include "viewer/texture_items.h"

namespace {

// Shows the shell's progress for the length of one load.
class ProgressScope {
public:
    ProgressScope(const std::string& path, ViewerShell& shell) : shell_(shell) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        shell_.BeginProgress(path, ec ? 0 : size);
    }
    ~ProgressScope() { shell_.EndProgress(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    LoadProgress Callback() {
        return [this](std::uint64_t done, std::uint64_t) { return shell_.UpdateProgress(done); };
    }

private:
    ViewerShell& shell_;
};

// The file's format by the format rule; a name no reader claims may still
// be read as BIN when the user says so.
ModelFormat ChooseFormat(const std::string& path, ViewerShell& shell) {
    const ModelFormat format = ModelFormatForPath(path);
    if (format != ModelFormat::Unknown) return format;
    return shell.AskYesNo("Extension not recognised. Open as BIN?", "File Type Error") ? ModelFormat::BIN
                                                                                       : ModelFormat::Unknown;
}

// The open flow around one load of path in the format chosen, which is
// either read now or taken from a read made ahead.
using LoadStep = std::function<LoadResult(ModelFormat format, const LoadProgress& progress)>;

LoadResult OpenWith(Viewer& viewer, const std::string& path, ViewerShell& shell, const LoadStep& load) {
    LoadResult result;
    const ModelFormat format = ChooseFormat(path, shell);
    if (format == ModelFormat::Unknown) {
        result = {false, true, "not opened"};
    } else {
        ProgressScope progress(path, shell);
        const LoadClock clock;
        result = load(format, progress.Callback());
        if (result) viewer.loadSeconds = clock.Seconds();
    }
    if (result) {
        shell.ModelOpened(path);
        viewer.modelPath = path;
        viewer.modelFormat = format;
        // Imported models come in any unit and far from the origin: framed.
        const ModelFormatInfo* info = FindModelFormat(format);
        viewer.fitted = info && !info->keepsStoredScale;
        if (viewer.fitted) viewer.model.Fit(kFitRadius);
    }
    if (!result.ok && !result.cancelled) shell.ShowMessage(LoadFailureText(path, result.reason), "Error");
    for (const std::string& line : result.warnings) shell.ShowWarning(line, "Warning");

    ResetCamera(viewer);
    if (viewer.model.HasOwnLook()) {
        viewer.checkedTexture = CommandId::TexModelsOwn;
        viewer.textureMode = TextureMode::ModelsOwn;
    } else if (viewer.textureMode != TextureMode::Bmp || viewer.checkedTexture != CommandId::TexBMP) {
        // What the BMP item does, so that the picture matches the checked
        // item: after a cube map, Off or another image the test texture and
        // texturing must change too.
        SelectTextureItem(viewer, CommandId::TexBMP, shell);
    }
    shell.Repaint();
    return result;
}

}  // namespace

LoadResult OpenModel(Viewer& viewer, const std::string& path, ViewerShell& shell) {
    return OpenWith(viewer, path, shell, [&](ModelFormat format, const LoadProgress& progress) {
        return LoadModel(viewer.model, viewer.textures, path, format, viewer.startupDir, shell, progress,
                         viewer.read);
    });
}

ModelReadAhead::ModelReadAhead(const std::string& path, const ReadOptions& options)
    : path_(path), format_(ModelFormatForPath(path)) {
    if (format_ == ModelFormat::Unknown) format_ = ModelFormat::BIN;
    // Not a format whose textures load while it is read, which needs the GL
    // context; nor one the import library reads: its process is forked, and
    // a fork while another thread makes the GL context can leave the child
    // waiting forever on a lock that thread held (seen under AddressSanitizer).
    const ModelFormatInfo* info = FindModelFormat(format_);
    if (!info || !info->read || info->texturesWhileReading) return;
    pending_ = std::async(std::launch::async, [path = path_, format = format_, options] {
        Read read;
        read.result = ReadModel(path, format, read.mesh, {}, {}, options);
        return read;
    });
}

LoadResult ModelReadAhead::Open(Viewer& viewer, ViewerShell& shell) {
    return OpenWith(viewer, path_, shell, [&](ModelFormat format, const LoadProgress& progress) {
        if (format != format_ || !pending_.valid())
            return LoadModel(viewer.model, viewer.textures, path_, format, viewer.startupDir, shell, progress,
                             viewer.read);
        Read read = pending_.get();
        return AdoptModel(viewer.model, viewer.textures, std::move(read.mesh), std::move(read.result),
                          viewer.startupDir, shell);
    });
}

LoadResult ReloadModel(Viewer& viewer, ViewerShell& shell) {
    if (viewer.modelPath.empty()) return LoadResult::Failure("the model was not opened from a file");
    LoadResult result;
    {
        ProgressScope progress(viewer.modelPath, shell);
        const LoadClock clock;
        result = LoadModel(viewer.model, viewer.textures, viewer.modelPath, viewer.modelFormat, viewer.startupDir,
                           shell, progress.Callback(), viewer.read);
        if (result) viewer.loadSeconds = clock.Seconds();
    }
    if (!result) return result;
    if (viewer.fitted) viewer.model.Fit(kFitRadius);
    // Model's Own with nothing to show would draw whatever texture is bound.
    if (viewer.textureMode == TextureMode::ModelsOwn && !viewer.model.HasOwnLook())
        SelectTextureItem(viewer, CommandId::TexBMP, shell);
    shell.Repaint();
    return result;
}
