// Compressed blocks made and decoded by the GL's own codec (Mesa's on
// llvmpipe), to test the DDS reader against a well-kept encoder and decoder
// rather than against itself. Needs a current context.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <span>
#include <vector>

// Blocks of internalFormat for RGBA texels of the given type (rows in the
// order given, so top first gives blocks in file order).
std::vector<std::uint8_t> EncodeBlocksWithGL(GLenum internalFormat, std::span<const std::uint8_t> rgba, GLenum type,
                                             int width, int height);
// What the GL decodes blocks to, read back as RGBA texels of readType, rows
// in the blocks' order.
std::vector<std::uint8_t> DecodeBlocksWithGL(GLenum internalFormat, std::span<const std::uint8_t> blocks, int width,
                                             int height, GLenum readType);
// Level 0 of the bound image read back as RGBA texels of readType, rows bottom first.
std::vector<std::uint8_t> ReadRgba(GLenum image, GLenum readType, int width, int height);
// Rows of rowBytes bytes in reverse order.
std::vector<std::uint8_t> ReversedRows(std::vector<std::uint8_t> bytes, std::size_t rowBytes);
// Bytes of one texel of four components of type.
std::size_t RgbaTexelBytes(GLenum type);
