#include "formats/model_writer.h"

#include <array>

#include "formats/scene_library.h"
#include "formats/staged_output.h"
#include "mesh/mesh_limits.h"

WriteResult WriteModel(const Mesh& mesh, const std::string& path, ModelFormat format) {
    const ModelFormatInfo* info = FindModelFormat(format);
    if (!info || !info->CanWrite())
        return WriteResult::Failure(info ? "no writer for " + std::string(info->name) + " files"
                                         : std::string("the file's format is not known"));
    std::string why = CheckMeshArrays(mesh);
    if (why.empty() && info->write && info->writeCheck) why = info->writeCheck(mesh);
    const SceneLibraryFunctions* library = nullptr;
    if (why.empty() && !info->write) library = SceneLibrary(why);
    StagedOutput staged(path);
    // A companion whose name is taken is refused before anything is written
    // (and again as it moves into place).
    if (library)
        for (const std::string& companion : library->companions(path, *info, mesh))
            if (why.empty()) why = staged.CompanionTaken(companion);
    if (!why.empty()) return WriteResult::Failure(std::move(why));
    if (info->write) {
        const StagedOutput::Opened file = staged.Open(path);
        if (!file.file) return WriteResult::Failure(file.reason);
        // A write that fails stops the writer; Commit says why.
        info->write(mesh, [&file](std::span<const std::uint8_t> bytes) { return file.file->Write(bytes); });
    } else if (WriteResult exported = library->write(mesh, staged, path, *info); !exported) {
        return exported;
    }
    if (std::string failed = staged.Commit(); !failed.empty()) return WriteResult::Failure(std::move(failed));
    return WriteResult::Success();
}

std::vector<std::string> WhatWriteModelDrops(const Mesh& mesh, ModelFormat format) {
    const ModelFormatInfo* info = FindModelFormat(format);
    if (!info) return {};
    const std::string name(info->name);
    std::vector<std::string> dropped;
    // The materials that have what is asked, named: "material 2", "materials 2, 3".
    const auto materialsWith = [&mesh](const auto& has) {
        std::string list;
        std::size_t count = 0;
        for (std::size_t i = 0; i < mesh.materials.size(); ++i)
            if (has(mesh.materials[i])) list += (count++ == 0 ? "" : ", ") + std::to_string(i + 1);
        return count == 0 ? list : (count == 1 ? "material " : "materials ") + list;
    };
    if (info->write) {
        // The formats of our own writers: one own texture (XML names it), no colours.
        const std::string own = format == ModelFormat::XML && NamesOwnTexture(mesh) ? mesh.texturePath : "";
        if (const std::string list = materialsWith([](const Material& m) {
                return m.baseColor != std::array<float, 4>{1.0f, 1.0f, 1.0f, 1.0f};
            });
            !list.empty())
            dropped.push_back("the colours of " + list + " are not written: " + name + " holds none");
        if (const std::string list = materialsWith([&own](const Material& m) {
                return m.embeddedImage >= 0 || (!m.texturePath.empty() && m.texturePath != own);
            });
            !list.empty())
            dropped.push_back("the textures of " + list + " are not written: " + name +
                              (format == ModelFormat::XML ? " holds one texture" : " holds none"));
        if (!mesh.colors.empty()) dropped.push_back("the vertex colours are not written: " + name + " holds none");
    } else if (!info->library.embedsImages) {
        if (const std::string list = materialsWith([](const Material& m) { return m.embeddedImage >= 0; });
            !list.empty())
            dropped.push_back("the images the model holds for " + list + " are not written: " + name +
                              " refers to texture files only");
    }
    return dropped;
}
