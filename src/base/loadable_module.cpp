#include "base/loadable_module.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {
// The modules' folder relative to the executable's (e.g. "../lib/tessaview").
constexpr std::string_view kModuleDirFromBinDir = TESSA_MODULE_DIR_FROM_BINDIR;
}  // namespace

std::string ModuleDir() {
    if (const char* dir = std::getenv("TESSAVIEW_MODULE_DIR"); dir != nullptr && *dir != '\0') return dir;
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return {};
    return (exe.parent_path() / kModuleDirFromBinDir).lexically_normal().string();
}

void* ModuleEntry(std::string_view name, const char* symbol, std::string& why) {
    const std::string dir = ModuleDir();
    if (dir.empty()) {
        why = "the program's folder can't be found (/proc/self/exe)";
        return nullptr;
    }
    const std::string path = (std::filesystem::path(dir) / name).string();
    // dlopen counts references: a second call returns the loaded module.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* error = dlerror();
        why = error ? error : "cannot load " + path;
        return nullptr;
    }
    void* entry = dlsym(module, symbol);
    if (entry == nullptr) why = path + " has no entry point " + symbol;
    return entry;
}
