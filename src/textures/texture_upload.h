// GL helpers shared by the texture loaders. GL code only: the readers stay
// free of it.
#pragma once

#include <epoxy/gl.h>

// The state every loader sets on the target it fills, after binding and
// before uploading: mipmap generation, trilinear minification, linear
// magnification, repeat in S and T, and modulate as the texture function.
void SetTextureState(GLenum target);

// Sets GL_UNPACK_ALIGNMENT for its lifetime and restores the previous value.
class ScopedUnpackAlignment {
public:
    explicit ScopedUnpackAlignment(GLint alignment);
    ~ScopedUnpackAlignment();
    ScopedUnpackAlignment(const ScopedUnpackAlignment&) = delete;
    ScopedUnpackAlignment& operator=(const ScopedUnpackAlignment&) = delete;

private:
    GLint previous_ = 4;
};

// Level-0 uploads. Each returns false when the GL refused the image (an
// error was raised by the upload), so that a refusal is not reported as a
// success; errors pending from earlier calls are cleared first.
bool UploadImage(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format, GLenum type,
                 const void* pixels);
bool UploadCompressedImage(GLenum target, GLenum format, GLsizei width, GLsizei height, GLsizei size, const void* data);
