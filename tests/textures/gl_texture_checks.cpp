#include "gl_texture_checks.h"

#include <algorithm>
#include <cstdlib>

LevelInfo QueryLevel(GLenum image) {
    LevelInfo info;
    glGetTexLevelParameteriv(image, 0, GL_TEXTURE_WIDTH, &info.width);
    glGetTexLevelParameteriv(image, 0, GL_TEXTURE_HEIGHT, &info.height);
    glGetTexLevelParameteriv(image, 0, GL_TEXTURE_INTERNAL_FORMAT, &info.internalFormat);
    glGetTexLevelParameteriv(image, 0, GL_TEXTURE_COMPRESSED, &info.compressed);
    return info;
}

std::vector<std::uint8_t> ReadLevel(GLenum image, GLenum format, int width, int height, int channels) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * channels);
    GLint previous = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &previous);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(image, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, previous);
    return pixels;
}

GLint TexParameter(GLenum target, GLenum parameter) {
    GLint value = 0;
    glGetTexParameteriv(target, parameter, &value);
    return value;
}

GLint Integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

int MaxDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size()) return 255;
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}
