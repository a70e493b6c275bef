#include "app/cli/run_command_line.h"

#include "app/cli/convert.h"
#include "app/cli/model_info.h"
#include "app/cli/snapshot.h"
#include "viewer/startup_dir.h"

int RunHeadless(const CommandLine& line, std::ostream& out, std::ostream& err) {
    switch (line.mode) {
    case CliMode::Help: out << UsageText(); return kExitOk;
    case CliMode::Version: out << kVersionText << '\n'; return kExitOk;
    case CliMode::Snapshot: return RunSnapshot(line.model, line.snapshot, line.read, err);
    case CliMode::Convert: return RunConvert(line.model, line.convertOut, line.read, err);
    case CliMode::Info: {
        const ModelInfo info = InspectModel(line.model, StartupDirForThisProcess(), line.read);
        PrintModelInfo(info, out);
        return info.Refused() ? kExitModelRefused : kExitOk;
    }
    case CliMode::Window:
    case CliMode::Invalid: break;
    }
    err << "tessaview: " << (line.error.empty() ? "no headless mode given" : line.error) << "\n\n" << UsageText();
    return kExitUsage;
}
