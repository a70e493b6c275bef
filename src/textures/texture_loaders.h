// Uploads of BMP, TGA, PNG, JPEG and DDS images into OpenGL textures. Each binds the
// given texture name to its target, sets the common texture state (mipmap
// generation, trilinear minification, linear magnification, repeat,
// modulate) and uploads level 0. On failure it reports its message through
// messages (caption "Error") and returns false. A GL context must be current.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "base/message_sink.h"
#include "textures/texture_load.h"

// Six face paths in the order +X, -X, +Y, -Y, +Z, -Z.
using CubeFacePaths = std::array<std::string, 6>;

bool LoadBMPTexture(const std::string& path, unsigned int name, MessageSink& messages);
bool LoadBMPTextureCompressed(const std::string& path, unsigned int name, MessageSink& messages);
bool LoadBMPCubeMap(const CubeFacePaths& paths, unsigned int name, MessageSink& messages);
bool LoadTGATexture(const std::string& path, unsigned int name, MessageSink& messages);
bool LoadTGATextureCompressed(const std::string& path, unsigned int name, MessageSink& messages);
// DDS: a file that could not be read shows the message alone; one that was
// read but refused, or that the GL cannot take (a compressed format whose
// extension the context lacks), shows it followed by ": " and the reason.
// BC6H and BC7 textures are filled top row first (TextureLoad::topDown); a
// cube map whose faces mix such formats with others is refused.
TextureLoad LoadDDSTexture(const std::string& path, unsigned int name, MessageSink& messages);
TextureLoad LoadDDSCubeMap(const CubeFacePaths& paths, unsigned int name, MessageSink& messages);
bool LoadPNGTexture(const std::string& path, unsigned int name, MessageSink& messages);
bool LoadJPEGTexture(const std::string& path, unsigned int name, MessageSink& messages);
// A picture in memory (one embedded in a model file), as a 2D texture: PNG,
// JPEG or BMP by its signature, anything else tried as TGA. Its message is
// kEmbeddedTextureNotRead with the reader's reason.
bool LoadImageTextureFromBytes(std::span<const std::uint8_t> bytes, unsigned int name, MessageSink& messages);
