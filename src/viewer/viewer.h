// The viewer's behaviour without any toolkit: the menu commands and their
// option groups, the open-model flow, and the keys and mouse drags that move
// the view. The window (and a headless run, and the tests) feed events in
// and answer the requests made through ViewerShell.
#pragma once

#include <future>
#include <string>

#include "viewer/commands.h"
#include "viewer/scene.h"
#include "viewer/viewer_shell.h"
#include "viewer/viewer_state.h"

// Whether id belongs to one of the five option groups, and whether it is
// the checked item of its group.
bool IsOptionItem(int id);
bool IsCheckedItem(const Viewer& viewer, int id);

// The scene set-up of a new window: InitScene, then the texture group in
// line with the default model (CMD_TEX_MODELS_OWN when it has its own
// texture). Needs a current context and viewer.startupDir recorded.
void InitViewer(Viewer& viewer, ViewerShell& shell, DefaultModel defaultModel = DefaultModel::Load);

// Runs one command. Returns false, doing nothing, for an unknown id.
bool DoCommand(Viewer& viewer, int id, ViewerShell& shell);
// Picks an item of the Textures group as its menu item does, without the
// repaint; false for an id outside the group.
bool SelectTextureItem(Viewer& viewer, int id, MessageSink& messages);

// Opens a model file as the Open command does after its dialog: the loader
// is chosen by the format rule (model/model_format.h); a file of no known
// format asks whether to read it as BIN. A file that can't be loaded is
// reported and the previous model stays. Either way the camera is reset, the
// texture group follows the model and a repaint is requested. A model that
// loads becomes viewer.modelPath (read in viewer.modelFormat), not fitted. Returns the
// load's outcome (cancelled when the user declined or stopped it).
LoadResult OpenModel(Viewer& viewer, const std::string& path, ViewerShell& shell);

// A model file read on another thread while the program does other work
// (a snapshot makes its GL context meanwhile). Only formats read without GL
// are read ahead: not XML, whose own texture is loaded while it is parsed.
class ModelReadAhead {
public:
    // Starts reading path when its format (by the format rule, or BIN for a
    // name no reader claims, as a snapshot answers) can be read ahead.
    ModelReadAhead(const std::string& path, const ReadOptions& options);
    // The open flow of OpenModel, with the model read ahead when it is that
    // path in that format, else read as OpenModel reads it.
    LoadResult Open(Viewer& viewer, ViewerShell& shell);

private:
    struct Read {
        LoadResult result;
        Mesh mesh;
    };
    std::string path_;
    ModelFormat format_ = ModelFormat::Unknown;
    std::future<Read> pending_;
};

// Reads the shown model's file again, in the format it was opened in (no
// question asked), after it changed on disk. The camera, the model's turns,
// the options and the texture mode stay; Fit is applied again if it was on.
// Only the texture group follows the model when Model's Own is checked and
// the new model has no texture of its own. A file that can't be read, or a
// half-written one, leaves the shown model as it was: the result says why
// and nothing is reported through the shell's message box.
LoadResult ReloadModel(Viewer& viewer, ViewerShell& shell);

// The radius Fit gives a model: the default cube's as it shows at start
// (8 units wide), so a fitted model fills the view as much as it does.
inline constexpr float kFitRadius = 6.92820323f;  // 4 * sqrt(3)
// Centres the model on the point it turns about, scales it to kFitRadius,
// remembers that it is fitted and resets the camera.
void FitModel(Viewer& viewer, ViewerShell& shell);

enum class ViewerKey { Escape, Up, Down, Left, Right, A, D, W, S, F, Other };
enum class MouseButton { Left, Right, Middle };

// Every key-down repaints; Escape quits; F runs FitModel.
void KeyDown(Viewer& viewer, ViewerKey key, ViewerShell& shell);
// Positions in pixels of the drawing area; negative left of or above it.
void MouseDown(Viewer& viewer, MouseButton button, int x, int y);
// The release of any button ends the drag.
void MouseUp(Viewer& viewer);
void MouseMove(Viewer& viewer, int x, int y, ViewerShell& shell);
// Moves the eye forward (positive, wheel up: nearer) or back by notches of
// the wheel; a fraction of a notch (smooth scrolling) moves that fraction.
void Wheel(Viewer& viewer, double notches, ViewerShell& shell);
// One drag step from (lastMouseX, lastMouseY) to (mouseX, mouseY) in the current dragMode.
void ApplyMouseDrag(Viewer& viewer);
