// The menu commands and their option groups. A command changes the Viewer
// only; the frame applies the options (RenderFrame), so they hold in any
// context that draws the viewer. Only the texture items upload (their test
// image), through the textures library.
#include "viewer/commands.h"

#include <algorithm>

#include "viewer/open_model.h"
#include "viewer/texture_items.h"

namespace {

constexpr CommandId kTwoWayItems[] = {CommandId::LightOn,         CommandId::LightOff,  CommandId::RenderSolid,
                                      CommandId::RenderWireframe, CommandId::CullOn,    CommandId::CullOff,
                                      CommandId::WindingCW,       CommandId::WindingCCW};

// Runs the option-group items; false when id is in no group.
bool DoGroupCommand(Viewer& viewer, CommandId id, ViewerShell& shell) {
    if (SelectTextureItem(viewer, id, shell)) return true;
    switch (id) {
    case CommandId::LightOn:
    case CommandId::LightOff: viewer.checkedLight = id; return true;
    case CommandId::RenderSolid:
    case CommandId::RenderWireframe: viewer.checkedRenderMode = id; return true;
    case CommandId::CullOn:
    case CommandId::CullOff: viewer.checkedCulling = id; return true;
    case CommandId::WindingCW:
    case CommandId::WindingCCW: viewer.checkedWinding = id; return true;
    default: return false;
    }
}

void RunOpenCommand(Viewer& viewer, ViewerShell& shell) {
    // A cancelled dialog changes nothing.
    if (const std::optional<std::string> path = shell.OpenFileDialog()) {
        OpenModel(viewer, *path, shell);
    } else {
        shell.Repaint();
    }
}

}  // namespace

bool IsOptionItem(CommandId id) {
    return IsTextureItem(id) ||
           std::find(std::begin(kTwoWayItems), std::end(kTwoWayItems), id) != std::end(kTwoWayItems);
}

bool IsCheckedItem(const Viewer& viewer, CommandId id) {
    return id == viewer.checkedTexture || id == viewer.checkedLight || id == viewer.checkedRenderMode ||
           id == viewer.checkedCulling || id == viewer.checkedWinding;
}

void InitViewer(Viewer& viewer, ViewerShell& shell, DefaultModel defaultModel) {
    InitScene(viewer, shell, defaultModel);
    if (viewer.model.HasOwnLook()) {
        viewer.checkedTexture = CommandId::TexModelsOwn;
    } else {
        viewer.textureMode = TextureMode::Bmp;
    }
}

bool DoCommand(Viewer& viewer, CommandId id, ViewerShell& shell) {
    switch (id) {
    case CommandId::Open: RunOpenCommand(viewer, shell); return true;  // the open flow repaints itself
    case CommandId::Exit: shell.Quit(); return true;
    case CommandId::FlipNormals: viewer.model.FlipNormals(); break;
    case CommandId::ScaleDown: viewer.model.Scale(0.9f); break;
    case CommandId::ScaleUp: viewer.model.Scale(1.1f); break;
    case CommandId::ResetCamera: ResetCamera(viewer); break;
    case CommandId::About: shell.ShowAbout(); break;
    default:
        if (!DoGroupCommand(viewer, id, shell)) return false;
        break;
    }
    shell.Repaint();
    return true;
}
