#include "gl_block_codec.h"

#include <algorithm>

#include "gl_texture_checks.h"
#include "textures/texture_upload.h"

std::size_t RgbaTexelBytes(GLenum type) {
    switch (type) {
    case GL_FLOAT: return 16;
    case GL_HALF_FLOAT: return 8;
    default: return 4;
    }
}

std::vector<std::uint8_t> ReadRgba(GLenum image, GLenum readType, int width, int height) {
    std::vector<std::uint8_t> texels(RgbaTexelBytes(readType) * static_cast<std::size_t>(width) * height);
    const GLint previous = Integer(GL_PACK_ALIGNMENT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(image, 0, GL_RGBA, readType, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, previous);
    return texels;
}

std::vector<std::uint8_t> EncodeBlocksWithGL(GLenum internalFormat, std::span<const std::uint8_t> rgba, GLenum type,
                                             int width, int height) {
    const TextureName name;
    glBindTexture(GL_TEXTURE_2D, name.get());
    {
        const ScopedUnpackAlignment alignment(1);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, GL_RGBA, type,
                     rgba.data());
    }
    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED_IMAGE_SIZE, &size);
    std::vector<std::uint8_t> blocks(static_cast<std::size_t>(std::max(size, 0)));
    glGetCompressedTexImage(GL_TEXTURE_2D, 0, blocks.data());
    return blocks;
}

std::vector<std::uint8_t> DecodeBlocksWithGL(GLenum internalFormat, std::span<const std::uint8_t> blocks, int width,
                                             int height, GLenum readType) {
    const TextureName name;
    glBindTexture(GL_TEXTURE_2D, name.get());
    glCompressedTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, static_cast<GLsizei>(blocks.size()),
                           blocks.data());
    return ReadRgba(GL_TEXTURE_2D, readType, width, height);
}

std::vector<std::uint8_t> ReversedRows(std::vector<std::uint8_t> bytes, std::size_t rowBytes) {
    const std::size_t rows = bytes.size() / rowBytes;
    for (std::size_t i = 0; i < rows / 2; ++i)
        std::swap_ranges(bytes.begin() + static_cast<std::ptrdiff_t>(i * rowBytes),
                         bytes.begin() + static_cast<std::ptrdiff_t>((i + 1) * rowBytes),
                         bytes.begin() + static_cast<std::ptrdiff_t>((rows - 1 - i) * rowBytes));
    return bytes;
}
