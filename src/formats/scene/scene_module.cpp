// The entry point of the import library's module (formats/scene_library.h).
#include "formats/scene/scene_export.h"
#include "formats/scene/scene_import.h"
#include "formats/scene_library.h"

namespace {
LoadResult Read(const std::string& path, Mesh& out, const LoadProgress& progress, const ReadOptions& options) {
    return ReadScene(path, out, progress, options);
}

constexpr SceneLibraryFunctions kFunctions = {
    .version = kSceneLibraryVersion,
    .meshBytes = sizeof(Mesh),
    .read = Read,
    .companions = SceneCompanions,
    .write = ExportScene,
};
}  // namespace

extern "C" __attribute__((visibility("default"))) const SceneLibraryFunctions* tessa_scene_library() {
    return &kFunctions;
}
