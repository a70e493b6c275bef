// The Textures group of the menu: its items are the rows of the
// texture-mode table (textures/texture_modes.h), and picking one. The commands and the open flow (which points the
// group at the model it opened) both pick items through it.
#pragma once

#include "base/message_sink.h"
#include "viewer/command_ids.h"
#include "viewer/viewer_state.h"

// Whether id is an item of the Textures group.
bool IsTextureItem(CommandId id);
// Picks an item of the Textures group (a row of the texture-mode table) as
// its menu item does, without the repaint: the checked item and the mode
// change, and a mode with a test image loads it (LoadTestTexture). False,
// changing nothing, for an id outside the group.
bool SelectTextureItem(Viewer& viewer, CommandId id, MessageSink& messages);
