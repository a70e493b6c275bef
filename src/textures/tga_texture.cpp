// TGA uploads: a 2D texture with a sized or a generic compressed internal format.
#include <epoxy/gl.h>

#include "textures/image_uploads.h"
#include "textures/loader_messages.h"
#include "textures/texture_loaders.h"
#include "textures/texture_upload.h"
#include "textures/tga_reader.h"

namespace {
bool LoadTGA2D(const std::string& path, unsigned int name, bool compressed, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_2D, name);
    const ReadResult<TGAImage> read = ReadTGA(path);
    if (!read) {
        messages.ShowMessage(kTGANotFound, kErrorCaption);
        return false;
    }
    SetTextureState(GL_TEXTURE_2D);
    if (!UploadTGAImage(GL_TEXTURE_2D, read.value, compressed)) {
        messages.ShowMessage(kTGANotFound, kErrorCaption);
        return false;
    }
    return true;
}
}  // namespace

bool LoadTGATexture(const std::string& path, unsigned int name, MessageSink& messages) {
    return LoadTGA2D(path, name, false, messages);
}

bool LoadTGATextureCompressed(const std::string& path, unsigned int name, MessageSink& messages) {
    return LoadTGA2D(path, name, true, messages);
}
