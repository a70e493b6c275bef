// The texture modes of the viewer and the test texture they share.
#pragma once

#include <string>
#include <string_view>

#include "base/message_sink.h"

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

// Replaces testTexture by a fresh texture name holding the test image of
// mode (modes 1 to 7; other modes leave it empty). The images are found
// under startupDir: each path is it followed by a suffix such as
// "/Assets/spheremap.bmp". Problems are reported through messages, and the
// mode keeps the empty texture then.
void ReloadTestTexture(int mode, const std::string& startupDir, unsigned int& testTexture, MessageSink& messages);

// Reads the test image files of mode without GL and reports what
// ReloadTestTexture would for a file its loader can't read; false then.
// Lets a run that draws one frame upload only the texture that frame uses.
bool CheckTestTexture(int mode, const std::string& startupDir, MessageSink& messages);
