#include "textures/texture_upload.h"

#include "textures/image_formats.h"

// The readers report formats by value; they must be the GL's own.
static_assert(kGlUnsignedByte == GL_UNSIGNED_BYTE && kGlLuminance == GL_LUMINANCE && kGlLuminance8 == GL_LUMINANCE8 &&
              kGlRgb8 == GL_RGB8 && kGlRgba8 == GL_RGBA8 && kGlBgr == GL_BGR && kGlBgra == GL_BGRA &&
              kGlRgb == GL_RGB && kGlRgba == GL_RGBA);
static_assert(kGlCompressedLuminance == GL_COMPRESSED_LUMINANCE && kGlCompressedRgb == GL_COMPRESSED_RGB &&
              kGlCompressedRgba == GL_COMPRESSED_RGBA);
static_assert(kGlCompressedRgbaDxt1 == GL_COMPRESSED_RGBA_S3TC_DXT1_EXT &&
              kGlCompressedRgbaDxt3 == GL_COMPRESSED_RGBA_S3TC_DXT3_EXT &&
              kGlCompressedRgbaDxt5 == GL_COMPRESSED_RGBA_S3TC_DXT5_EXT);
static_assert(kGlUnsignedShort565 == GL_UNSIGNED_SHORT_5_6_5 && kGlUnsignedShort4444Rev == GL_UNSIGNED_SHORT_4_4_4_4_REV &&
              kGlUnsignedShort1555Rev == GL_UNSIGNED_SHORT_1_5_5_5_REV && kGlRed == GL_RED && kGlRg == GL_RG &&
              kGlLuminanceAlpha == GL_LUMINANCE_ALPHA && kGlLuminance8Alpha8 == GL_LUMINANCE8_ALPHA8 && kGlR8 == GL_R8 &&
              kGlRg8 == GL_RG8 && kGlRgb5 == GL_RGB5 && kGlRgb565 == GL_RGB565 && kGlRgba4 == GL_RGBA4 && kGlRgb5A1 == GL_RGB5_A1 &&
              kGlSrgb8 == GL_SRGB8 && kGlSrgb8Alpha8 == GL_SRGB8_ALPHA8);
static_assert(kGlCompressedSrgbAlphaDxt1 == GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT1_EXT &&
              kGlCompressedSrgbAlphaDxt3 == GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT3_EXT &&
              kGlCompressedSrgbAlphaDxt5 == GL_COMPRESSED_SRGB_ALPHA_S3TC_DXT5_EXT);
static_assert(kGlCompressedRedRgtc1 == GL_COMPRESSED_RED_RGTC1 &&
              kGlCompressedSignedRedRgtc1 == GL_COMPRESSED_SIGNED_RED_RGTC1 &&
              kGlCompressedRgRgtc2 == GL_COMPRESSED_RG_RGTC2 && kGlCompressedSignedRgRgtc2 == GL_COMPRESSED_SIGNED_RG_RGTC2);
static_assert(kGlCompressedRgbaBptcUnorm == GL_COMPRESSED_RGBA_BPTC_UNORM &&
              kGlCompressedSrgbAlphaBptcUnorm == GL_COMPRESSED_SRGB_ALPHA_BPTC_UNORM &&
              kGlCompressedRgbBptcSignedFloat == GL_COMPRESSED_RGB_BPTC_SIGNED_FLOAT &&
              kGlCompressedRgbBptcUnsignedFloat == GL_COMPRESSED_RGB_BPTC_UNSIGNED_FLOAT);

namespace {
void ClearErrors() {
    // Bounded: a lost context keeps reporting an error forever.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
}
}  // namespace

void SetTextureState(GLenum target) {
    glTexParameteri(target, GL_GENERATE_MIPMAP, GL_TRUE);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

ScopedUnpackAlignment::ScopedUnpackAlignment(GLint alignment) {
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

ScopedUnpackAlignment::~ScopedUnpackAlignment() { glPixelStorei(GL_UNPACK_ALIGNMENT, previous_); }

bool UploadImage(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format, GLenum type,
                 const void* pixels) {
    ClearErrors();
    glTexImage2D(target, 0, internalFormat, width, height, 0, format, type, pixels);
    return glGetError() == GL_NO_ERROR;
}

bool UploadCompressedImage(GLenum target, GLenum format, GLsizei width, GLsizei height, GLsizei size,
                           const void* data) {
    ClearErrors();
    glCompressedTexImage2D(target, 0, format, width, height, 0, size, data);
    return glGetError() == GL_NO_ERROR;
}
