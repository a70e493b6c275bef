// The viewer's command ids: one per menu item, shared by the menu bar, the
// accelerators, the command line and the Viewer, which holds the id of the
// checked item of each option group. The numbers are the menu items' ids
// of old and stay as they are.
#pragma once

enum class CommandId : int {
    Open = 32793,
    Exit = 105,
    TexBMP = 32772,
    TexBMPCompressed = 32773,
    TexBMPCubemap = 32796,
    TexTGA = 32798,
    TexTGACompressed = 32799,
    TexDDS = 32774,
    TexDDSCubemap = 32797,
    TexModelsOwn = 32801,
    TexOff = 32785,
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
};
