// The viewer's behaviour without any toolkit: the menu commands and their
// option groups, the open-model flow, and the keys and mouse drags that move
// the view. The window (and a headless run, and the tests) feed events in
// and answer the requests made through ViewerShell.
#pragma once

#include <string>

#include "app/commands.h"
#include "app/viewer_shell.h"
#include "model/mesh.h"

// The checked item of each option group, as a command id. Menus show these
// items checked whenever they open.
extern int checkedTexture;     // starts at CMD_TEX_BMP
extern int checkedLight;       // starts at CMD_LIGHT_ON
extern int checkedRenderMode;  // starts at CMD_RENDER_SOLID
extern int checkedCulling;     // starts at CMD_CULL_ON
extern int checkedWinding;     // starts at CMD_WINDING_CCW

// Whether id belongs to one of the five option groups, and whether it is
// the checked item of its group.
bool IsOptionItem(int id);
bool IsCheckedItem(int id);

// The scene set-up of a new window: InitScene, then the texture group in
// line with the default model (CMD_TEX_MODELS_OWN when it has its own
// texture). Needs a current context and startupDir recorded.
void InitViewer(ViewerShell& shell);

// Runs one command. Returns false, doing nothing, for an unknown id.
bool DoCommand(int id, ViewerShell& shell);

// Opens a model file as the Open command does after its dialog: the loader
// is chosen by the extension, without regard to case ("xml" or "bin"; any
// other asks whether to read it as BIN). A file that can't be loaded is
// reported and the previous model stays. Either way the camera is reset, the
// texture group follows the model and a repaint is requested. Returns the
// load's outcome (cancelled when the user declined or stopped it).
LoadResult OpenModel(const std::string& path, ViewerShell& shell);

enum class ViewerKey { Escape, Up, Down, Left, Right, A, D, W, S, Other };
enum class MouseButton { Left, Right, Middle };

// Every key-down repaints; Escape quits.
void KeyDown(ViewerKey key, ViewerShell& shell);
// Positions in pixels of the drawing area; negative left of or above it.
void MouseDown(MouseButton button, int x, int y);
// The release of any button ends the drag.
void MouseUp();
void MouseMove(int x, int y, ViewerShell& shell);
