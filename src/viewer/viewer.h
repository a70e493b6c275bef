// The viewer's behaviour without any toolkit: the menu commands and their
// option groups, the open-model flow, and the keys and mouse drags that move
// the view. The window (and a headless run, and the tests) feed events in
// and answer the requests made through ViewerShell.
#pragma once

#include <string>

#include "viewer/commands.h"
#include "viewer/viewer_shell.h"
#include "viewer/viewer_state.h"

// Whether id belongs to one of the five option groups, and whether it is
// the checked item of its group.
bool IsOptionItem(int id);
bool IsCheckedItem(const Viewer& viewer, int id);

// The scene set-up of a new window: InitScene, then the texture group in
// line with the default model (CMD_TEX_MODELS_OWN when it has its own
// texture). Needs a current context and viewer.startupDir recorded.
void InitViewer(Viewer& viewer, ViewerShell& shell);

// Runs one command. Returns false, doing nothing, for an unknown id.
bool DoCommand(Viewer& viewer, int id, ViewerShell& shell);
// Picks an item of the Textures group as its menu item does, without the
// repaint; false for an id outside the group.
bool SelectTextureItem(Viewer& viewer, int id, MessageSink& messages);

// Opens a model file as the Open command does after its dialog: the loader
// is chosen by the format rule (model/model_format.h); a file of no known
// format asks whether to read it as BIN. A file that can't be loaded is
// reported and the previous model stays. Either way the camera is reset, the
// texture group follows the model and a repaint is requested. Returns the
// load's outcome (cancelled when the user declined or stopped it).
LoadResult OpenModel(Viewer& viewer, const std::string& path, ViewerShell& shell);

enum class ViewerKey { Escape, Up, Down, Left, Right, A, D, W, S, Other };
enum class MouseButton { Left, Right, Middle };

// Every key-down repaints; Escape quits.
void KeyDown(Viewer& viewer, ViewerKey key, ViewerShell& shell);
// Positions in pixels of the drawing area; negative left of or above it.
void MouseDown(Viewer& viewer, MouseButton button, int x, int y);
// The release of any button ends the drag.
void MouseUp(Viewer& viewer);
void MouseMove(Viewer& viewer, int x, int y, ViewerShell& shell);
// One drag step from (lastMouseX, lastMouseY) to (mouseX, mouseY) in the current dragMode.
void ApplyMouseDrag(Viewer& viewer);
