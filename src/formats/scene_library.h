// The formats of the import library, reached through its module
// (tessaview-scene.so), which is loaded the first time a model needs it: a
// run that reads and writes only the exporter's formats never maps the
// library. The module holds scene/scene_import.h and scene/scene_export.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/model_format.h"
#include "formats/staged_output.h"
#include "mesh/mesh.h"

// The module's entry points. Program and module are built together from
// the same headers; version and meshBytes catch a module from another build.
struct SceneLibraryFunctions {
    std::uint32_t version;
    std::uint32_t meshBytes;
    LoadResult (*read)(const std::string& path, Mesh& out, const LoadProgress& progress, const ReadOptions& options);
    std::vector<std::string> (*companions)(const std::string& path, const ModelFormatInfo& format, const Mesh& mesh);
    WriteResult (*write)(const Mesh& mesh, StagedOutput& output, const std::string& path, const ModelFormatInfo& format);
};
inline constexpr std::uint32_t kSceneLibraryVersion = 1;
inline constexpr const char* kSceneLibraryModule = "tessaview-scene.so";
inline constexpr const char* kSceneLibraryEntry = "tessa_scene_library";

// The module's functions, loaded on the first call; null when it can't be
// loaded, with why filled in.
const SceneLibraryFunctions* SceneLibrary(std::string& why);
