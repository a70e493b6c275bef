// TGA uploads: a 2D texture with a sized or a generic compressed internal format.
#include <epoxy/gl.h>

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
    const TGAImage& image = read.value;
    const GLint internalFormat =
        static_cast<GLint>(compressed ? CompressedTGAComponents(image.components) : image.components);
    SetTextureState(GL_TEXTURE_2D);
    // TGA rows are unpadded.
    const ScopedUnpackAlignment alignment(1);
    if (!UploadImage(GL_TEXTURE_2D, internalFormat, image.width, image.height, image.format, GL_UNSIGNED_BYTE,
                     image.pixels.data())) {
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
