// Level-0 uploads of each reader's image, shared by the loaders that read a
// file and the one that reads bytes in memory. The caller has bound the
// texture and set its state. False when the GL refused the image.
#pragma once

#include <epoxy/gl.h>

#include "textures/bmp_reader.h"
#include "textures/rgba8_image.h"
#include "textures/tga_reader.h"

bool UploadBMPImage(GLenum target, GLint internalFormat, const BMPImage& image);
// With compressed, the generic compressed format of the image's components.
bool UploadTGAImage(GLenum target, const TGAImage& image, bool compressed);
bool UploadRGBA8Image(GLenum target, const RGBA8Image& image);
