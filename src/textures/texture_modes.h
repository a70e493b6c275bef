// The texture modes of the viewer and the one test texture they share.
#pragma once

#include <string>
#include <string_view>

#include "textures/messages.h"

enum TextureMode : int {
    Off = 0,
    BMP = 1,
    BMPCompressed = 2,
    TGA = 3,
    TGACompressed = 4,
    DDS = 5,
    BMPCubemap = 6,
    DDSCubemap = 7,
    ModelsOwn = 8,
};

// The name of a mode ("Off", "BMP", ... "ModelsOwn"), "" for other values.
std::string_view TextureModeName(int mode);

extern int textureMode;
extern unsigned int testTexture;
// The directory the test assets are found under: each asset path is this
// followed by a suffix such as "/Assets/spheremap.bmp".
extern std::string startupDir;

// Replaces testTexture by a fresh texture name holding the image of the
// current textureMode (modes 1 to 7; other modes leave it empty). Problems
// are reported through messages. Always returns true.
bool ReloadTestTexture(MessageSink& messages);
