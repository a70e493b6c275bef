// Tessaview: a viewer for triangle-mesh models. Without options it opens
// its window; the headless modes never touch the toolkit.
#include <iostream>
#include <string_view>
#include <vector>

#include "app/cli/command_line.h"
#include "app/cli/run_command_line.h"
#include "viewer/startup_dir.h"
#include "app/shell/run_viewer.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const CommandLine line = ParseCommandLine(args);
    if (line.mode != CliMode::Window) return RunHeadless(line, std::cout, std::cerr);

    // The toolkit sees the program name only: the command line has been
    // read, and a model file whose name looks like a toolkit option stays a model.
    int toolkitArgc = 1;
    return RunViewer(toolkitArgc, argv, line.model, StartupDirForThisProcess(), line.read);
}
