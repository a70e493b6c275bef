// One frame of the viewer without a window: the scene is set up on a
// headless GL context exactly as the window sets it up, the options are
// applied as menu commands, and the frame is written as a PNG.
#pragma once

#include <ostream>
#include <string>

#include "app/cli/command_line.h"

// Renders model (the default model when empty) with options and writes the
// picture to options.outPath. Every message goes to err. Returns an exit
// status: kExitOk, kExitLoadFailed (nothing is written) or kExitRenderFailed.
int RunSnapshot(const std::string& model, const SnapshotOptions& options, const ReadOptions& read,
                std::ostream& err);
