// The viewer's behaviour without any toolkit: the menu commands and their
// option groups, the open-model flow, and the keys and mouse drags that move
// the view. The window (and a headless run, and the tests) feed events in
// and answer the requests made through ViewerShell. This header gathers
// the viewer's parts for the code around it; the parts include only each
// other's headers, never this one.
#pragma once

#include "viewer/commands.h"
#include "viewer/input.h"
#include "viewer/open_model.h"
#include "viewer/scene.h"
#include "viewer/texture_items.h"
#include "viewer/viewer_shell.h"
#include "viewer/viewer_state.h"
