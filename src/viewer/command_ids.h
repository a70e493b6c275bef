// The viewer's command ids: one per menu item, shared by the menu bar, the
// accelerators, the command line and the Viewer, which holds the id of the
// checked item of each option group. The numbers are the menu items' ids
// of old and stay as they are; the Textures items' are those of the
// texture-mode table. Later items take numbers after them.
#pragma once

#include "textures/texture_modes.h"

enum class CommandId : int {
    Open = 32793,
    Exit = 105,
    TexBMP = TextureModeRowOf(TextureMode::Bmp).command,
    TexBMPCompressed = TextureModeRowOf(TextureMode::BmpCompressed).command,
    TexBMPCubemap = TextureModeRowOf(TextureMode::BmpCubemap).command,
    TexTGA = TextureModeRowOf(TextureMode::Tga).command,
    TexTGACompressed = TextureModeRowOf(TextureMode::TgaCompressed).command,
    TexDDS = TextureModeRowOf(TextureMode::Dds).command,
    TexDDSCubemap = TextureModeRowOf(TextureMode::DdsCubemap).command,
    TexModelsOwn = TextureModeRowOf(TextureMode::ModelsOwn).command,
    TexOff = TextureModeRowOf(TextureMode::Off).command,
    LightOn = 32778,
    LightOff = 32777,
    RenderSolid = 32780,
    RenderWireframe = 32781,
    CullOn = 32783,
    CullOff = 32784,
    WindingCW = 32803,
    WindingCCW = 32804,
    FlipNormals = 32787,
    ScaleDown = 32788,
    ScaleUp = 32789,
    ResetCamera = 32800,
    About = 104,
    // Items that came later, at the ends of their menus.
    Reload = 32805,
    Fit = 32806,
    Controls = 32807,
    // Keys without a menu item: the next and previous model in the shown one's folder.
    NextModel = 32808,
    PreviousModel = 32809,
    ShowNormals = 32810,
    SavePicture = 32811,
};

// The command of a Textures menu row.
constexpr CommandId CommandOf(const TextureModeRow& row) { return static_cast<CommandId>(row.command); }
// The texture-mode row of a Textures item; null for any other command.
constexpr const TextureModeRow* TextureModeRowFor(CommandId id) {
    return TextureModeRowForCommand(static_cast<int>(id));
}
