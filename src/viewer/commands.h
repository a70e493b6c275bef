// The viewer's command ids: one per menu item, shared by the menu bar, the
// accelerators and the Viewer's checked item of each option group. The
// Textures menu's ids are those of the texture-mode table.
#pragma once

#include "textures/texture_modes.h"

inline constexpr int CMD_OPEN = 32793;
inline constexpr int CMD_EXIT = 105;
inline constexpr int CMD_TEX_BMP = TextureModeRowOf(TextureMode::Bmp).command;
inline constexpr int CMD_TEX_BMP_COMPRESSED = TextureModeRowOf(TextureMode::BmpCompressed).command;
inline constexpr int CMD_TEX_BMP_CUBEMAP = TextureModeRowOf(TextureMode::BmpCubemap).command;
inline constexpr int CMD_TEX_TGA = TextureModeRowOf(TextureMode::Tga).command;
inline constexpr int CMD_TEX_TGA_COMPRESSED = TextureModeRowOf(TextureMode::TgaCompressed).command;
inline constexpr int CMD_TEX_DDS = TextureModeRowOf(TextureMode::Dds).command;
inline constexpr int CMD_TEX_DDS_CUBEMAP = TextureModeRowOf(TextureMode::DdsCubemap).command;
inline constexpr int CMD_TEX_MODELS_OWN = TextureModeRowOf(TextureMode::ModelsOwn).command;
inline constexpr int CMD_TEX_OFF = TextureModeRowOf(TextureMode::Off).command;
inline constexpr int CMD_LIGHT_ON = 32778;
inline constexpr int CMD_LIGHT_OFF = 32777;
inline constexpr int CMD_RENDER_SOLID = 32780;
inline constexpr int CMD_RENDER_WIREFRAME = 32781;
inline constexpr int CMD_CULL_ON = 32783;
inline constexpr int CMD_CULL_OFF = 32784;
inline constexpr int CMD_WINDING_CW = 32803;
inline constexpr int CMD_WINDING_CCW = 32804;
inline constexpr int CMD_FLIP_NORMALS = 32787;
inline constexpr int CMD_SCALE_DOWN = 32788;
inline constexpr int CMD_SCALE_UP = 32789;
inline constexpr int CMD_RESET_CAMERA = 32800;
inline constexpr int CMD_ABOUT = 104;
