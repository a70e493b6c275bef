// DDS uploads: one file as a 2D texture, six files as a cube map. Only the
// base level of the file's first image is uploaded; the GL builds the rest.
#include <epoxy/gl.h>

#include "textures/dds_image.h"
#include "textures/loader_messages.h"
#include "textures/texture_loaders.h"
#include "textures/texture_upload.h"

namespace {
bool Fail(MessageSink& messages, std::string_view text) {
    messages.ShowMessage(text, kErrorCaption);
    return false;
}

bool UploadDDS(GLenum target, const DDSImage& image) {
    const DDSTexture& base = image.GetImage(0);
    if (image.IsCompressed())
        return UploadCompressedImage(target, image.GetFormat(), base.GetWidth(), base.GetHeight(), base.GetSize(),
                                     base.GetPixels().data());
    // Uncompressed rows are unpadded; without alpha a fourth byte is dropped.
    const ScopedUnpackAlignment alignment(1);
    const GLint internalFormat = image.HasAlpha() ? GL_RGBA8 : GL_RGB8;
    return UploadImage(target, internalFormat, base.GetWidth(), base.GetHeight(), image.GetFormat(),
                       base.GetPixels().data());
}
}  // namespace

bool LoadDDSTexture(const std::string& path, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_2D, name);
    DDSImage image;
    if (!image.Load(path)) return Fail(messages, kDDSNotFound);
    SetTextureState(GL_TEXTURE_2D);
    if (!UploadDDS(GL_TEXTURE_2D, image)) return Fail(messages, kDDSNotFound);
    return true;
}

bool LoadDDSCubeMap(const CubeFacePaths& paths, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    DDSImage image;
    for (GLenum face = 0; face < paths.size(); ++face) {
        // Each face file is one image; a face file that is itself a cube map
        // gives its first face. A failing face ends the cube map.
        if (!image.Load(paths[face])) return Fail(messages, kDDSCubeNotFound);
        SetTextureState(GL_TEXTURE_CUBE_MAP);
        if (!UploadDDS(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, image)) return Fail(messages, kDDSCubeNotFound);
    }
    return true;
}
