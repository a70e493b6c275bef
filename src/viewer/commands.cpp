// The menu commands and their option groups.
#include <epoxy/gl.h>

#include <algorithm>

#include "viewer/scene.h"
#include "viewer/viewer.h"

namespace {

constexpr int kTwoWayItems[] = {CMD_LIGHT_ON, CMD_LIGHT_OFF, CMD_RENDER_SOLID, CMD_RENDER_WIREFRAME,
                                CMD_CULL_ON,  CMD_CULL_OFF,  CMD_WINDING_CW,   CMD_WINDING_CCW};

void SetEnabled(GLenum cap, bool on) {
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

// Runs the option-group items; false when id is in no group.
bool DoGroupCommand(Viewer& viewer, int id, ViewerShell& shell) {
    if (SelectTextureItem(viewer, id, shell)) return true;
    switch (id) {
    case CMD_LIGHT_ON:
    case CMD_LIGHT_OFF:
        viewer.checkedLight = id;
        SetEnabled(GL_LIGHTING, id == CMD_LIGHT_ON);
        return true;
    case CMD_RENDER_SOLID:
    case CMD_RENDER_WIREFRAME:
        viewer.checkedRenderMode = id;
        glPolygonMode(GL_FRONT_AND_BACK, id == CMD_RENDER_SOLID ? GL_FILL : GL_LINE);
        return true;
    case CMD_CULL_ON:
    case CMD_CULL_OFF:
        viewer.checkedCulling = id;
        SetEnabled(GL_CULL_FACE, id == CMD_CULL_ON);
        return true;
    case CMD_WINDING_CW:
    case CMD_WINDING_CCW:
        viewer.checkedWinding = id;
        glFrontFace(id == CMD_WINDING_CW ? GL_CW : GL_CCW);
        return true;
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

bool SelectTextureItem(Viewer& viewer, int id, MessageSink& messages) {
    const TextureModeRow* row = TextureModeRowForCommand(id);
    if (row == nullptr) return false;
    viewer.checkedTexture = row->command;
    SetEnabled(GL_TEXTURE_2D, row->kind != TextureKind::None);
    viewer.textureMode = row->mode;
    if (HasTestImage(row->mode)) LoadTestTexture(viewer, messages);
    return true;
}

bool IsOptionItem(int id) {
    return TextureModeRowForCommand(id) != nullptr ||
           std::find(std::begin(kTwoWayItems), std::end(kTwoWayItems), id) != std::end(kTwoWayItems);
}

bool IsCheckedItem(const Viewer& viewer, int id) {
    return id == viewer.checkedTexture || id == viewer.checkedLight || id == viewer.checkedRenderMode ||
           id == viewer.checkedCulling || id == viewer.checkedWinding;
}

void InitViewer(Viewer& viewer, ViewerShell& shell, DefaultModel defaultModel) {
    InitScene(viewer, shell, defaultModel);
    if (viewer.model.GetNumTextures() != 0) {
        viewer.checkedTexture = CMD_TEX_MODELS_OWN;
    } else {
        viewer.textureMode = TextureMode::Bmp;
    }
}

bool DoCommand(Viewer& viewer, int id, ViewerShell& shell) {
    switch (id) {
    case CMD_OPEN: RunOpenCommand(viewer, shell); return true;  // the open flow repaints itself
    case CMD_EXIT: shell.Quit(); return true;
    case CMD_FLIP_NORMALS: viewer.model.FlipNormals(); break;
    case CMD_SCALE_DOWN: viewer.model.Scale(0.9f); break;
    case CMD_SCALE_UP: viewer.model.Scale(1.1f); break;
    case CMD_RESET_CAMERA: ResetCamera(viewer); break;
    case CMD_ABOUT: shell.ShowAbout(); break;
    default:
        if (!DoGroupCommand(viewer, id, shell)) return false;
        break;
    }
    shell.Repaint();
    return true;
}
