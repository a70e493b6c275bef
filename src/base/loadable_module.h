// The program's own modules: parts it loads only when a run needs them (the
// window and its toolkit, the import library), so that a headless run of an
// exporter's model maps neither. Modules stay loaded until the process ends.
#pragma once

#include <string>
#include <string_view>

// The folder of the modules: TESSAVIEW_MODULE_DIR when set (tests run from
// the build tree), else the one installed beside the running executable.
std::string ModuleDir();

// The address of the entry point symbol in the module named name (the file
// name, e.g. "tessaview-window.so"), loaded on first use; null, with why
// filled in with the loader's reason, when it can't be loaded or lacks the entry.
void* ModuleEntry(std::string_view name, const char* symbol, std::string& why);
