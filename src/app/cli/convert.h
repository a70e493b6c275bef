// --convert: one model file written as another, each in the format its
// extension names. No window and no GL.
#pragma once

#include <ostream>
#include <string>

#include "mesh/load_result.h"

// Reads in and writes out: creates or replaces out (and a companion file the
// format needs, where its name is free) and nothing else, or fails and
// changes nothing, also when interrupted by SIGINT, SIGTERM or SIGHUP. Returns
// kExitOk, kExitUsage (no writer for out's extension), kExitLoadFailed (in
// can't be read) or kExitRenderFailed (out can't be written); each failure
// is explained on err.
int RunConvert(const std::string& in, const std::string& out, const ReadOptions& options, std::ostream& err);
