// The menu commands and their option groups, and the scene set-up of a new
// window that puts the groups in line with the default model.
#pragma once

#include "viewer/command_ids.h"
#include "viewer/scene.h"
#include "viewer/viewer_shell.h"
#include "viewer/viewer_state.h"

// Whether id is a check item (one of the five option groups' items, or Show
// Normals, which is on or off by itself), and whether it is checked.
bool IsOptionItem(CommandId id);
bool IsCheckedItem(const Viewer& viewer, CommandId id);

// The scene set-up of a new window: InitScene, then the texture group in
// line with the default model (CommandId::TexModelsOwn when it has its own
// texture). Needs a current context and viewer.startupDir recorded.
void InitViewer(Viewer& viewer, ViewerShell& shell, DefaultModel defaultModel = DefaultModel::Load);

// Runs one command. Returns false, doing nothing, for an id that is no
// command (the window's ids come from its actions' data as plain numbers).
bool DoCommand(Viewer& viewer, CommandId id, ViewerShell& shell);
