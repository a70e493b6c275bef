#include "formats/model_writer.h"

#include "formats/scene/scene_export.h"
#include "formats/staged_output.h"
#include "mesh/mesh_limits.h"

WriteResult WriteModel(const Mesh& mesh, const std::string& path, ModelFormat format) {
    const ModelFormatInfo* info = FindModelFormat(format);
    if (!info || !info->CanWrite())
        return WriteResult::Failure(info ? "no writer for " + std::string(info->name) + " files"
                                         : std::string("the file's format is not known"));
    if (std::string why = CheckMeshArrays(mesh); !why.empty()) return WriteResult::Failure(std::move(why));
    StagedOutput staged(path);
    if (!staged.Ready()) return WriteResult::Failure(staged.Error());
    const std::string target = staged.Path();
    if (WriteResult written = info->write ? info->write(mesh, target) : ExportScene(mesh, target, *info); !written)
        return written;
    return staged.Commit();
}
