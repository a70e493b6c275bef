// The Textures group of the menu: which item shows which texture mode, and
// picking one. The commands and the open flow (which points the group at
// the model it opened) both pick items through it.
#pragma once

#include "base/message_sink.h"
#include "viewer/command_ids.h"
#include "viewer/viewer_state.h"

// Whether id is an item of the Textures group.
bool IsTextureItem(CommandId id);
// Picks an item of the Textures group as its menu item does, without the
// repaint: the checked item and the mode change, and an image mode loads
// its test texture (LoadTestTexture). False, changing nothing, for an id
// outside the group.
bool SelectTextureItem(Viewer& viewer, CommandId id, MessageSink& messages);
