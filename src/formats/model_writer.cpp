#include "formats/model_writer.h"

#include "formats/scene/scene_export.h"
#include "formats/staged_output.h"
#include "mesh/mesh_limits.h"

WriteResult WriteModel(const Mesh& mesh, const std::string& path, ModelFormat format) {
    const ModelFormatInfo* info = FindModelFormat(format);
    if (!info || !info->CanWrite())
        return WriteResult::Failure(info ? "no writer for " + std::string(info->name) + " files"
                                         : std::string("the file's format is not known"));
    std::string why = CheckMeshArrays(mesh);
    if (why.empty() && info->write && info->writeCheck) why = info->writeCheck(mesh);
    StagedOutput staged(path);
    // A companion whose name is taken is refused before anything is written
    // (and again as it moves into place).
    if (!info->write)
        for (const std::string& companion : SceneCompanions(path, *info, mesh))
            if (why.empty()) why = staged.CompanionTaken(companion);
    if (!why.empty()) return WriteResult::Failure(std::move(why));
    if (info->write) {
        const StagedOutput::Opened file = staged.Open(path);
        if (!file.file) return WriteResult::Failure(file.reason);
        // A write that fails stops the writer; Commit says why.
        info->write(mesh, [&file](std::span<const std::uint8_t> bytes) { return file.file->Write(bytes); });
    } else if (WriteResult exported = ExportScene(mesh, staged, path, *info); !exported) {
        return exported;
    }
    if (std::string failed = staged.Commit(); !failed.empty()) return WriteResult::Failure(std::move(failed));
    return WriteResult::Success();
}
