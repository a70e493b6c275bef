// DDS uploads: one file as a 2D texture, six files as a cube map. Only the
// base level of the file's first image is uploaded; the GL builds the rest.
#include <epoxy/gl.h>

#include <string>

#include "textures/dds_image.h"
#include "textures/loader_messages.h"
#include "textures/texture_loaders.h"
#include "textures/texture_upload.h"

namespace {
TextureLoad Fail(MessageSink& messages, std::string_view text) {
    messages.ShowMessage(text, kErrorCaption);
    return {};
}

// The first extension of the format's row that the context lacks; "" when it has them all.
std::string_view MissingExtension(const DDSFormat& format) {
    for (const std::string_view extension : format.extensions)
        if (!extension.empty() && !epoxy_has_gl_extension(std::string(extension).c_str())) return extension;
    return {};
}

// The GL formats come from the image's row of the format table. Returns
// why the image was not uploaded, "" when it was.
std::string UploadDDS(GLenum target, const DDSImage& image) {
    const DDSFormat& format = *image.GetDDSFormat();
    // Blocks the GL cannot take are refused, never decoded some other way.
    if (const std::string_view missing = MissingExtension(format); !missing.empty())
        return std::string(format.name) + " needs " + std::string(missing);
    const DDSTexture& base = image.GetImage(0);
    bool uploaded = false;
    if (format.IsCompressed()) {
        uploaded = UploadCompressedImage(target, format.glInternalFormat, base.GetWidth(), base.GetHeight(),
                                         base.GetSize(), base.GetPixels().data());
    } else {
        // Uncompressed rows are unpadded.
        const ScopedUnpackAlignment alignment(1);
        uploaded = UploadImage(target, static_cast<GLint>(format.glInternalFormat), base.GetWidth(), base.GetHeight(),
                               format.glFormat, format.glType, base.GetPixels().data());
    }
    return uploaded ? std::string() : "the GL refused the " + std::string(format.name) + " image";
}
}  // namespace

TextureLoad LoadDDSTexture(const std::string& path, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_2D, name);
    const DDSFileRead read = ReadDDSFile(path, kDDSNotFound);
    if (!read) return Fail(messages, read.message);
    SetTextureState(GL_TEXTURE_2D);
    if (const std::string why = UploadDDS(GL_TEXTURE_2D, read.image); !why.empty())
        return Fail(messages, WithReason(kDDSNotFound, why));
    return {.loaded = true, .topDown = read.image.IsTopDown()};
}

TextureLoad LoadDDSCubeMap(const CubeFacePaths& paths, unsigned int name, MessageSink& messages) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    bool topDown = false;
    for (GLenum face = 0; face < paths.size(); ++face) {
        // Each face file is one image; a face file that is itself a cube map
        // gives its first face. A failing face ends the cube map.
        const DDSFileRead read = ReadDDSFile(paths[face], kDDSCubeNotFound);
        if (!read) return Fail(messages, read.message);
        // One texture matrix serves the whole cube map.
        if (face == 0) topDown = read.image.IsTopDown();
        if (read.image.IsTopDown() != topDown)
            return Fail(messages, WithReason(kDDSCubeNotFound, "its faces mix formats read top row first (BC6H, BC7) "
                                                               "with formats read bottom row first"));
        // Faces kept top row first are drawn with t flipped, which also
        // trades the +Y and -Y faces: each goes into the other's place.
        GLenum slot = face;
        if (topDown && (face == 2 || face == 3)) slot = 5 - face;
        SetTextureState(GL_TEXTURE_CUBE_MAP);
        if (const std::string why = UploadDDS(GL_TEXTURE_CUBE_MAP_POSITIVE_X + slot, read.image); !why.empty())
            return Fail(messages, WithReason(kDDSCubeNotFound, why));
    }
    return {.loaded = true, .topDown = topDown};
}
