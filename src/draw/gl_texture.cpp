#include "draw/gl_texture.h"

#include <epoxy/gl.h>

unsigned int GlTexture::Generate() {
    Reset();
    glGenTextures(1, &name_);
    return name_;
}

void GlTexture::Reset() {
    if (name_ == 0) return;
    glDeleteTextures(1, &name_);
    name_ = 0;
}
