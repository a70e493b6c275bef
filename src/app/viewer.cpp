#include "app/viewer.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "app/scene.h"
#include "math/camera.h"
#include "math/view_frustum.h"
#include "textures/texture_modes.h"

int checkedTexture = CMD_TEX_BMP;
int checkedLight = CMD_LIGHT_ON;
int checkedRenderMode = CMD_RENDER_SOLID;
int checkedCulling = CMD_CULL_ON;
int checkedWinding = CMD_WINDING_CCW;

bool IsCheckedItem(int id) {
    return id == checkedTexture || id == checkedLight || id == checkedRenderMode || id == checkedCulling ||
           id == checkedWinding;
}

void InitViewer(ViewerShell& shell) {
    InitScene(shell);
    if (model.GetNumTextures() != 0) {
        checkedTexture = CMD_TEX_MODELS_OWN;
    } else {
        textureMode = BMP;
    }
}

namespace {

struct TextureItem {
    int id;
    TextureMode mode;
};
constexpr TextureItem kTextureItems[] = {
    {CMD_TEX_BMP, BMP},         {CMD_TEX_BMP_COMPRESSED, BMPCompressed}, {CMD_TEX_BMP_CUBEMAP, BMPCubemap},
    {CMD_TEX_TGA, TGA},         {CMD_TEX_TGA_COMPRESSED, TGACompressed}, {CMD_TEX_DDS, DDS},
    {CMD_TEX_DDS_CUBEMAP, DDSCubemap}, {CMD_TEX_MODELS_OWN, ModelsOwn},  {CMD_TEX_OFF, Off},
};

void SetEnabled(GLenum cap, bool on) {
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void SelectTexture(const TextureItem& item, ViewerShell& shell) {
    checkedTexture = item.id;
    SetEnabled(GL_TEXTURE_2D, item.mode != Off);
    textureMode = item.mode;
    if (item.mode != Off && item.mode != ModelsOwn) ReloadTestTexture(shell);
}

constexpr int kTwoWayItems[] = {CMD_LIGHT_ON, CMD_LIGHT_OFF, CMD_RENDER_SOLID, CMD_RENDER_WIREFRAME,
                                CMD_CULL_ON,  CMD_CULL_OFF,  CMD_WINDING_CW,   CMD_WINDING_CCW};

// Runs the option-group items; false when id is in no group.
bool DoGroupCommand(int id, ViewerShell& shell) {
    const auto* item = std::find_if(std::begin(kTextureItems), std::end(kTextureItems),
                                    [id](const TextureItem& t) { return t.id == id; });
    if (item != std::end(kTextureItems)) {
        SelectTexture(*item, shell);
        return true;
    }
    switch (id) {
    case CMD_LIGHT_ON:
    case CMD_LIGHT_OFF:
        checkedLight = id;
        SetEnabled(GL_LIGHTING, id == CMD_LIGHT_ON);
        return true;
    case CMD_RENDER_SOLID:
    case CMD_RENDER_WIREFRAME:
        checkedRenderMode = id;
        glPolygonMode(GL_FRONT_AND_BACK, id == CMD_RENDER_SOLID ? GL_FILL : GL_LINE);
        return true;
    case CMD_CULL_ON:
    case CMD_CULL_OFF:
        checkedCulling = id;
        SetEnabled(GL_CULL_FACE, id == CMD_CULL_ON);
        return true;
    case CMD_WINDING_CW:
    case CMD_WINDING_CCW:
        checkedWinding = id;
        glFrontFace(id == CMD_WINDING_CW ? GL_CW : GL_CCW);
        return true;
    default:
        return false;
    }
}

// The text after the last dot of the file name, lower-cased; empty without one.
std::string LowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// Shows the shell's progress for the length of one load.
class ProgressScope {
public:
    ProgressScope(const std::string& path, ViewerShell& shell) : shell_(shell) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        shell_.BeginProgress(path, ec ? 0 : size);
    }
    ~ProgressScope() { shell_.EndProgress(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    LoadProgress Callback() {
        return [this](std::uint64_t done, std::uint64_t) { return shell_.UpdateProgress(done); };
    }

private:
    ViewerShell& shell_;
};

enum class Loader { XML, BIN, None };

Loader ChooseLoader(const std::string& path, ViewerShell& shell) {
    const std::string ext = LowerExtension(path);
    if (ext == "xml") return Loader::XML;
    if (ext == "bin") return Loader::BIN;
    return shell.AskYesNo("Extension not recognised. Open as BIN?", "File Type Error") ? Loader::BIN : Loader::None;
}

void RunOpenCommand(ViewerShell& shell) {
    // A cancelled dialog changes nothing.
    if (const std::optional<std::string> path = shell.OpenFileDialog()) {
        OpenModel(*path, shell);
    } else {
        shell.Repaint();
    }
}

}  // namespace

bool IsOptionItem(int id) {
    return std::any_of(std::begin(kTextureItems), std::end(kTextureItems),
                       [id](const TextureItem& t) { return t.id == id; }) ||
           std::find(std::begin(kTwoWayItems), std::end(kTwoWayItems), id) != std::end(kTwoWayItems);
}

LoadResult OpenModel(const std::string& path, ViewerShell& shell) {
    LoadResult result;
    const Loader loader = ChooseLoader(path, shell);
    if (loader == Loader::None) {
        result = {false, true, "not opened"};
    } else {
        ProgressScope progress(path, shell);
        result = loader == Loader::XML ? model.LoadXML(path, shell, progress.Callback())
                                       : model.LoadBIN(path, progress.Callback());
    }
    if (!result.ok && !result.cancelled) shell.ShowMessage(LoadFailureText(path, result.reason), "Error");

    ResetCamera();
    if (model.GetNumTextures() != 0) {
        checkedTexture = CMD_TEX_MODELS_OWN;
        textureMode = ModelsOwn;
    } else {
        checkedTexture = CMD_TEX_BMP;
        textureMode = BMP;
    }
    shell.Repaint();
    return result;
}

bool DoCommand(int id, ViewerShell& shell) {
    switch (id) {
    case CMD_OPEN:
        RunOpenCommand(shell);
        return true;  // the open flow repaints itself
    case CMD_EXIT:
        shell.Quit();
        return true;
    case CMD_FLIP_NORMALS:
        model.FlipNormals();
        break;
    case CMD_SCALE_DOWN:
        model.Scale(0.9f);
        break;
    case CMD_SCALE_UP:
        model.Scale(1.1f);
        break;
    case CMD_RESET_CAMERA:
        ResetCamera();
        break;
    case CMD_ABOUT:
        shell.ShowAbout();
        break;
    default:
        if (!DoGroupCommand(id, shell)) return false;
        break;
    }
    shell.Repaint();
    return true;
}

void KeyDown(ViewerKey key, ViewerShell& shell) {
    constexpr float kStep = 1.0f;
    bool moved = true;
    switch (key) {
    case ViewerKey::Escape:
        shell.Quit();
        moved = false;
        break;
    case ViewerKey::Up:
        camera.MoveForward(kStep);
        break;
    case ViewerKey::Down:
        camera.MoveForward(-kStep);
        break;
    case ViewerKey::Left:
    case ViewerKey::A:
        camera.Strafe(-kStep);
        break;
    case ViewerKey::Right:
    case ViewerKey::D:
        camera.Strafe(kStep);
        break;
    case ViewerKey::W:
        camera.MoveUp(-kStep);
        break;
    case ViewerKey::S:
        camera.MoveUp(kStep);
        break;
    case ViewerKey::Other:
        moved = false;
        break;
    }
    if (moved) frustum.Update(camera);
    shell.Repaint();
}

void MouseDown(MouseButton button, int x, int y) {
    lastMouseX = x;
    lastMouseY = y;
    switch (button) {
    case MouseButton::Left:
        dragMode = DragRotate;
        break;
    case MouseButton::Right:
        dragMode = DragPan;
        break;
    case MouseButton::Middle:
        dragMode = DragDolly;
        break;
    }
}

void MouseUp() { dragMode = DragNone; }

void MouseMove(int x, int y, ViewerShell& shell) {
    if (dragMode == DragNone) return;
    mouseX = x;
    mouseY = y;
    ApplyMouseDrag();
    lastMouseX = mouseX;
    lastMouseY = mouseY;
    shell.Repaint();
}
