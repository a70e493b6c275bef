#include "app/cli/convert.h"

#include "app/cli/command_line.h"
#include "formats/model_reader.h"
#include "formats/model_writer.h"
#include "formats/staged_output.h"

int RunConvert(const std::string& in, const std::string& out, const ReadOptions& options, std::ostream& err) {
    const ModelFormatInfo* outFormat = FindModelFormatForPath(out);
    if (!outFormat || !outFormat->CanWrite()) {
        err << "tessaview: cannot write \"" << out << "\": no writer for that extension ("
            << ExtensionsText(FormatUse::Write, " or ") << ")\n";
        return kExitUsage;
    }
    ModelFormat inFormat = ModelFormatForPath(in);
    if (inFormat == ModelFormat::Unknown) {
        // As the viewer offers for a name no reader claims.
        err << "tessaview: " << in << ": extension not recognised, read as BIN\n";
        inFormat = ModelFormat::BIN;
    }
    Mesh mesh;
    const LoadResult read = ReadModel(in, inFormat, mesh, {}, {}, options);
    if (!read) {
        err << "tessaview: cannot read \"" << in << "\": " << read.reason << '\n';
        return kExitLoadFailed;
    }
    for (const std::string& line : read.warnings) err << "tessaview: warning: " << line << '\n';
    for (const std::string& line : WhatWriteModelDrops(mesh, outFormat->id))
        err << "tessaview: warning: " << line << '\n';
    // Interrupted, the convert leaves no half-written file behind.
    const RemoveStagedFilesOnSignal removeOnSignal;
    if (const WriteResult written = WriteModel(mesh, out, outFormat->id); !written) {
        err << "tessaview: cannot write \"" << out << "\": " << written.reason << '\n';
        return kExitRenderFailed;
    }
    return kExitOk;
}
