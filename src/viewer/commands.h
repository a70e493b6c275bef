// The viewer's command ids: one per menu item, shared by the menu bar, the
// accelerators and the option-group globals, which hold the id of the
// checked item of each group.
#pragma once

inline constexpr int CMD_OPEN = 32793;
inline constexpr int CMD_EXIT = 105;
inline constexpr int CMD_TEX_BMP = 32772;
inline constexpr int CMD_TEX_BMP_COMPRESSED = 32773;
inline constexpr int CMD_TEX_BMP_CUBEMAP = 32796;
inline constexpr int CMD_TEX_TGA = 32798;
inline constexpr int CMD_TEX_TGA_COMPRESSED = 32799;
inline constexpr int CMD_TEX_DDS = 32774;
inline constexpr int CMD_TEX_DDS_CUBEMAP = 32797;
inline constexpr int CMD_TEX_MODELS_OWN = 32801;
inline constexpr int CMD_TEX_OFF = 32785;
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
