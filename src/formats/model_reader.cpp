#include "formats/model_reader.h"

#include "formats/scene_library.h"

LoadResult ReadModel(const std::string& path, ModelFormat format, Mesh& out, const TextureHook& textureHook,
                     const LoadProgress& progress, const ReadOptions& options) {
    const ModelFormatInfo* info = FindModelFormat(format);
    if (!info || !info->CanRead()) return LoadResult::Failure("the file's format is not known");
    LoadResult result;
    if (info->read) {
        result = info->read(path, out, textureHook, progress);
    } else {
        std::string why;
        const SceneLibraryFunctions* library = SceneLibrary(why);
        result = library ? library->read(path, out, progress, options) : LoadResult::Failure(why);
    }
    // The file named its own texture; what is done with it (an upload, a
    // check) is the caller's, as while an XML file is read.
    if (result && !info->texturesWhileReading && NamesOwnTexture(out) && textureHook) textureHook(out);
    return result;
}
