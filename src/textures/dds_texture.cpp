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

// The GL formats come from the image's row of the format table.
bool UploadDDS(GLenum target, const DDSImage& image) {
    const DDSFormat& format = *image.GetDDSFormat();
    const DDSTexture& base = image.GetImage(0);
    if (format.IsCompressed())
        return UploadCompressedImage(target, format.glInternalFormat, base.GetWidth(), base.GetHeight(), base.GetSize(),
                                     base.GetPixels().data());
    // Uncompressed rows are unpadded.
    const ScopedUnpackAlignment alignment(1);
    return UploadImage(target, static_cast<GLint>(format.glInternalFormat), base.GetWidth(), base.GetHeight(),
                       format.glFormat, format.glType, base.GetPixels().data());
}
}  // namespace

bool LoadDDSTexture(const std::string& path, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_2D, name);
    const ReadResult<DDSImage> read = ReadDDS(path);
    if (!read) return Fail(messages, kDDSNotFound);
    SetTextureState(GL_TEXTURE_2D);
    if (!UploadDDS(GL_TEXTURE_2D, read.value)) return Fail(messages, kDDSNotFound);
    return true;
}

bool LoadDDSCubeMap(const CubeFacePaths& paths, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    for (GLenum face = 0; face < paths.size(); ++face) {
        // Each face file is one image; a face file that is itself a cube map
        // gives its first face. A failing face ends the cube map.
        const ReadResult<DDSImage> read = ReadDDS(paths[face]);
        if (!read) return Fail(messages, kDDSCubeNotFound);
        SetTextureState(GL_TEXTURE_CUBE_MAP);
        if (!UploadDDS(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, read.value)) return Fail(messages, kDDSCubeNotFound);
    }
    return true;
}
