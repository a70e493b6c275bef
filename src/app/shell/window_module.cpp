// The entry point of the window's module (window_module.h).
#include "app/shell/window_module.h"

#include <cstdio>

#include "app/shell/run_viewer.h"

extern "C" __attribute__((visibility("default"))) int tessa_run_window(const WindowStart& start) {
    if (start.version != kWindowModuleVersion || start.optionsBytes != sizeof(ReadOptions)) {
        std::fputs("tessaview: the window's module is from another build of the program\n", stderr);
        return 1;
    }
    return RunViewer(*start.argc, start.argv, *start.model, *start.startupDir, *start.read, start.readAhead);
}
