// Tessaview: a viewer for triangle-mesh models. Without options it opens
// its window, from a module loaded then; the headless modes never map the
// toolkit.
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "app/cli/command_line.h"
#include "app/cli/run_command_line.h"
#include "app/shell/window_module.h"
#include "base/loadable_module.h"
#include "viewer/open_model.h"
#include "viewer/startup_dir.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const CommandLine line = ParseCommandLine(args);
    if (line.mode != CliMode::Window) return RunHeadless(line, std::cout, std::cerr);

    // The model is read while the toolkit loads and the window is made.
    std::optional<ModelReadAhead> readAhead;
    if (!line.model.empty()) readAhead.emplace(line.model, line.read);

    std::string why;
    const auto run = reinterpret_cast<WindowEntry>(ModuleEntry(kWindowModule, kWindowEntry, why));
    if (run == nullptr) {
        std::cerr << "tessaview: the window can't be opened: " << why << '\n';
        return 1;
    }
    // The toolkit sees the program name only: the command line has been
    // read, and a model file whose name looks like a toolkit option stays a model.
    int toolkitArgc = 1;
    const std::string startupDir = StartupDirForThisProcess();
    const WindowStart start{kWindowModuleVersion, sizeof(ReadOptions), &toolkitArgc, argv, &line.model, &startupDir,
                            &line.read, readAhead ? &*readAhead : nullptr};
    return run(start);
}
