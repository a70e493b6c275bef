#include "formats/model_reader.h"

#include "formats/bin/bin_format.h"
#include "formats/scene/scene_import.h"
#include "formats/xml/xml_reader.h"

LoadResult ReadModel(const std::string& path, ModelFormat format, Mesh& out, const TextureHook& textureHook,
                     const LoadProgress& progress) {
    switch (format) {
    case ModelFormat::XML: return ReadXML(path, out, textureHook, progress);
    case ModelFormat::BIN: return ReadBIN(path, out, progress);
    case ModelFormat::Unknown: return LoadResult::Failure("the file's format is not known");
    default: break;
    }
    LoadResult result = ReadScene(path, out, progress);
    // The import names the own texture; what is done with it (an upload, a
    // check) is the caller's, as for XML.
    if (result && NamesOwnTexture(out) && textureHook) textureHook(out);
    return result;
}
