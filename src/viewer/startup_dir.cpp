#include "viewer/startup_dir.h"

#include <string_view>
#include <system_error>

#include "viewer/scene.h"

namespace {

// The asset root relative to the folder of the installed executable, as the
// build's install layout has it (e.g. "../share/tessaview").
constexpr std::string_view kAssetRootFromBinDir = TESSA_ASSET_ROOT_FROM_BINDIR;

bool HasDefaultModel(const std::filesystem::path& dir) {
    std::error_code ec;
    return !dir.empty() && std::filesystem::is_regular_file(dir / kDefaultModelPath, ec);
}

}  // namespace

std::filesystem::path InstalledAssetRoot() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return {};
    return (exe.parent_path() / kAssetRootFromBinDir).lexically_normal();
}

std::string ChooseStartupDir(const std::filesystem::path& currentDir, const std::filesystem::path& installedRoot) {
    if (!HasDefaultModel(currentDir) && HasDefaultModel(installedRoot)) return installedRoot.string();
    return currentDir.string();
}

std::string StartupDirForThisProcess() {
    std::error_code ec;
    const std::filesystem::path current = std::filesystem::current_path(ec);
    return ChooseStartupDir(ec ? std::filesystem::path() : current, InstalledAssetRoot());
}
