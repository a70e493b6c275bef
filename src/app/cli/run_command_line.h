// The command-line modes that need no window: snapshot, info, help,
// version and the refusal of bad arguments.
#pragma once

#include <ostream>

#include "app/cli/command_line.h"

// Runs line (any mode but Window) and returns the exit status.
int RunHeadless(const CommandLine& line, std::ostream& out, std::ostream& err);
