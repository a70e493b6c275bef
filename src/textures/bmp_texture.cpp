// BMP uploads: a 2D texture (plain or driver-compressed) and a cube map.
#include <epoxy/gl.h>

#include "textures/bmp_reader.h"
#include "textures/image_uploads.h"
#include "textures/loader_messages.h"
#include "textures/texture_loaders.h"
#include "textures/texture_upload.h"

namespace {
bool Fail(MessageSink& messages, std::string_view text) {
    messages.ShowMessage(text, kErrorCaption);
    return false;
}

bool LoadBMP2D(const std::string& path, unsigned int name, GLint internalFormat, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_2D, name);
    const ReadResult<BMPImage> read = ReadBMP(path);
    if (!read) return Fail(messages, kBMPNotFound);
    SetTextureState(GL_TEXTURE_2D);
    if (!UploadBMPImage(GL_TEXTURE_2D, internalFormat, read.value)) return Fail(messages, kBMPNotFound);
    return true;
}
}  // namespace

bool LoadBMPTexture(const std::string& path, unsigned int name, MessageSink& messages) {
    return LoadBMP2D(path, name, GL_RGB, messages);
}

bool LoadBMPTextureCompressed(const std::string& path, unsigned int name, MessageSink& messages) {
    return LoadBMP2D(path, name, GL_COMPRESSED_RGB, messages);
}

bool LoadBMPCubeMap(const CubeFacePaths& paths, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    for (GLenum face = 0; face < paths.size(); ++face) {
        // A missing face ends the cube map: the faces before it stay uploaded.
        const ReadResult<BMPImage> read = ReadBMP(paths[face]);
        if (!read) return Fail(messages, kBMPCubeNotFound);
        SetTextureState(GL_TEXTURE_CUBE_MAP);
        if (!UploadBMPImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, GL_RGB, read.value))
            return Fail(messages, kBMPCubeNotFound);
    }
    return true;
}
