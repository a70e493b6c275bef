// Runs the windowed viewer until its window is closed; returns the exit status.
#pragma once

#include <string>

#include "mesh/load_result.h"

// model, when not empty, is opened once the window is up, as File > Open
// would; startupDir is where the viewer finds its assets.
int RunViewer(int& argc, char** argv, const std::string& model, const std::string& startupDir,
              const ReadOptions& read = {});
