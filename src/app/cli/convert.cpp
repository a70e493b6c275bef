#include "app/cli/convert.h"

#include <optional>

#include "app/cli/command_line.h"
#include "model/model_export.h"
#include "model/model_reader.h"
#include "model/staged_output.h"

int RunConvert(const std::string& in, const std::string& out, std::ostream& err) {
    const std::optional<ModelFileFormat> outFormat = ModelFileFormatOf(out);
    if (!outFormat) {
        err << "tessaview: cannot write \"" << out
            << "\": no writer for that extension (.xml, .bin, .obj, .ply, .stl, .gltf or .glb)\n";
        return kExitUsage;
    }
    ModelFormat inFormat = ModelFormatForPath(in);
    if (inFormat == ModelFormat::Unknown) {
        // As the viewer offers for a name no reader claims.
        err << "tessaview: " << in << ": extension not recognised, read as BIN\n";
        inFormat = ModelFormat::BIN;
    }
    Mesh mesh;
    if (const LoadResult read = ReadModel(in, inFormat, mesh); !read) {
        err << "tessaview: cannot read \"" << in << "\": " << read.reason << '\n';
        return kExitLoadFailed;
    }
    std::string error;
    // Interrupted, the convert leaves no half-written file behind.
    const RemoveStagedFilesOnSignal removeOnSignal;
    if (!WriteModel(mesh, out, *outFormat, error)) {
        err << "tessaview: cannot write \"" << out << "\": " << error << '\n';
        return kExitRenderFailed;
    }
    return kExitOk;
}
