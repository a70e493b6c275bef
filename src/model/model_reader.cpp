#include "model/model_reader.h"

#include "model/bin_format.h"
#include "model/xml_loader.h"

LoadResult ReadModel(const std::string& path, ModelFormat format, Mesh& out, const TextureHook& textureHook,
                     const LoadProgress& progress) {
    switch (format) {
    case ModelFormat::XML: return ReadXML(path, out, textureHook, progress);
    case ModelFormat::BIN: return ReadBIN(path, out, progress);
    case ModelFormat::Unknown: break;
    }
    return LoadResult::Failure("the file's format is not known");
}
