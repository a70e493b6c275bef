// Runs the windowed viewer until its window is closed; returns the exit status.
#pragma once

#include <string>

#include "mesh/load_result.h"

class ModelReadAhead;

// model, when not empty, is opened once the window is up, as File > Open
// would; startupDir is where the viewer finds its assets.
// readAhead, when given, is model's read begun before the toolkit started.
int RunViewer(int& argc, char** argv, const std::string& model, const std::string& startupDir,
              const ReadOptions& read = {}, ModelReadAhead* readAhead = nullptr);
