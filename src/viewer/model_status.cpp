#include "viewer/model_status.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "mesh/mesh_bounds.h"
#include "viewer/scene.h"

namespace {

std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Three significant digits: enough to tell sizes apart at a glance.
std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", value);
    return text;
}

std::string Duration(double seconds) {
    if (seconds < 1.0) return std::to_string(std::lround(seconds * 1000.0)) + " ms";
    return Number(seconds) + " s";
}

std::size_t LoadedTextures(const ModelTextures& textures) {
    const auto loaded = std::count_if(textures.materials.begin(), textures.materials.end(),
                                      [](const GlTexture& t) { return t.Name() != 0; });
    return static_cast<std::size_t>(loaded) + (textures.own.Name() != 0 ? 1 : 0);
}

}  // namespace

std::string ModelStatusText(const Viewer& viewer) {
    const Mesh& model = viewer.model;
    if (model.numVerts == 0) return "No model";
    const bool fromFile = !viewer.modelPath.empty();
    const std::string name = std::filesystem::path(fromFile ? viewer.modelPath : kDefaultModelPath).filename().string();
    const std::string format(ModelFormatName(fromFile ? viewer.modelFormat : ModelFormat::XML));
    const MeshBounds bounds = BoundsOf(model);

    std::string text = name + " (" + format + ")";
    text += " | " + Count(model.numVerts, "vertex", "vertices");
    text += " | " + Count(static_cast<std::size_t>(std::max(model.numFaces, 0)), "triangle", "triangles");
    text += " | " + Count(std::max<std::size_t>(model.parts.size(), 1), "part", "parts");
    text += " | " + Count(LoadedTextures(viewer.textures), "texture", "textures");
    text += " | size " + Number(bounds.Size(0)) + " x " + Number(bounds.Size(1)) + " x " + Number(bounds.Size(2));
    text += " | loaded in " + Duration(viewer.loadSeconds);
    return text;
}
