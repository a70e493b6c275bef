#include "formats/scene_library.h"

#include "base/loadable_module.h"

namespace {

struct Loaded {
    const SceneLibraryFunctions* functions = nullptr;
    std::string why;
};

Loaded Load() {
    Loaded loaded;
    using Entry = const SceneLibraryFunctions* (*)();
    const auto entry = reinterpret_cast<Entry>(ModuleEntry(kSceneLibraryModule, kSceneLibraryEntry, loaded.why));
    if (entry == nullptr) {
        loaded.why = "the import library's module can't be loaded: " + loaded.why;
        return loaded;
    }
    const SceneLibraryFunctions* functions = entry();
    if (functions == nullptr || functions->version != kSceneLibraryVersion || functions->meshBytes != sizeof(Mesh))
        loaded.why = "the import library's module is from another build of the program";
    else
        loaded.functions = functions;
    return loaded;
}

}  // namespace

const SceneLibraryFunctions* SceneLibrary(std::string& why) {
    // Loaded once, by whichever thread asks first; never unloaded.
    static const Loaded loaded = Load();
    why = loaded.why;
    return loaded.functions;
}
