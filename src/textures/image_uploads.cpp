#include "textures/image_uploads.h"

#include "textures/texture_upload.h"

bool UploadBMPImage(GLenum target, GLint internalFormat, const BMPImage& image) {
    // BMP rows are padded to 4 bytes, which the upload is told explicitly in
    // case someone changed the unpack alignment.
    const ScopedUnpackAlignment alignment(4);
    return UploadImage(target, internalFormat, image.width, image.height, GL_BGR, GL_UNSIGNED_BYTE,
                       image.pixels.data());
}

bool UploadTGAImage(GLenum target, const TGAImage& image, bool compressed) {
    const GLint internalFormat =
        static_cast<GLint>(compressed ? CompressedTGAComponents(image.components) : image.components);
    // TGA rows are unpadded.
    const ScopedUnpackAlignment alignment(1);
    return UploadImage(target, internalFormat, image.width, image.height, image.format, GL_UNSIGNED_BYTE,
                       image.pixels.data());
}

bool UploadRGBA8Image(GLenum target, const RGBA8Image& image) {
    const ScopedUnpackAlignment alignment(1);
    return UploadImage(target, GL_RGBA8, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
}
