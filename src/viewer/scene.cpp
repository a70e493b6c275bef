#include "viewer/scene.h"

#include <epoxy/gl.h>

#include "draw/mesh_gl.h"
#include "draw/normals_gl.h"
#include "viewer/load_clock.h"

std::string LoadFailureText(std::string_view path, std::string_view reason) {
    std::string text = "Could not load the model \"";
    text += path;
    text += "\":\n";
    text += reason;
    return text;
}

namespace {

void SetEnabled(GLenum cap, bool on) {
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

// Puts the current context in the viewer's state: the fixed set-up (clear
// colour, depth test, the light at the eye, colour material), the options
// of the groups and the projection. Every frame does this first, so a new
// context (Qt makes one when the window moves to another screen or
// window) draws what the old one drew.
void ApplySceneState(const Viewer& viewer) {
    static constexpr GLfloat noLight[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    static constexpr GLfloat someLight[4] = {0.85f, 0.85f, 0.85f, 0.0f};
    static constexpr GLfloat lightPos[4] = {0.0f, 0.0f, 0.0f, 1.0f};

    glClearColor(0.2f, 0.2f, 0.4f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, noLight);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, someLight);
    glLightfv(GL_LIGHT0, GL_SPECULAR, noLight);
    // Given while the model-view matrix is the identity: the light sits at
    // the eye and moves with the camera.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, lightPos);
    glPopMatrix();
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);

    SetEnabled(GL_LIGHTING, viewer.checkedLight == CommandId::LightOn);
    glPolygonMode(GL_FRONT_AND_BACK, viewer.checkedRenderMode == CommandId::RenderWireframe ? GL_LINE : GL_FILL);
    SetEnabled(GL_CULL_FACE, viewer.checkedCulling == CommandId::CullOn);
    glFrontFace(viewer.checkedWinding == CommandId::WindingCW ? GL_CW : GL_CCW);
    SetEnabled(GL_TEXTURE_2D, TextureModeRowOf(viewer.textureMode).kind != TextureKind::None);

    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(viewer.frustum.Projection().data());
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

void InitScene(Viewer& viewer, MessageSink& messages, DefaultModel defaultModelChoice) {
    viewer.textureMode = TextureMode::Bmp;
    LoadTestTexture(viewer, messages);

    Mesh& model = viewer.model;
    if (defaultModelChoice == DefaultModel::Load) {
        // Relative to the current directory; a viewer started where there is
        // none uses the one under startupDir (the installed assets).
        const std::string defaultModel = ResolveAssetPath(kDefaultModelPath, viewer.startupDir);
        // A failed load keeps the previous (at start-up: empty) model, which
        // must not be scaled a second time.
        const LoadClock clock;
        if (const LoadResult result = LoadXML(model, viewer.textures, defaultModel, viewer.startupDir, messages)) {
            model.Scale(8.0f);
            model.NormalizeNormals();
            viewer.loadSeconds = clock.Seconds();
        } else {
            messages.ShowMessage(LoadFailureText(defaultModel, result.reason), "Error");
        }
    }
    if (model.HasOwnLook()) viewer.textureMode = TextureMode::ModelsOwn;
    ResetCamera(viewer);
    ApplySceneState(viewer);
}

void RestoreScene(Viewer& viewer, MessageSink& messages) {
    // The model keeps its own image's path while its texture goes with a
    // context (a failed upload forgets it): that path is what to upload.
    if (!viewer.model.texturePath.empty() && viewer.model.materials.empty())
        LoadTexture(viewer.model, viewer.textures.own, viewer.startupDir, messages);
    LoadMaterialTextures(viewer.model, viewer.textures.materials, viewer.startupDir, messages);
    if (HasTestImage(viewer.textureMode)) LoadTestTexture(viewer, messages);
    ApplySceneState(viewer);
}

namespace {

void SetTexGen(bool on) {
    for (const GLenum coord : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) {
        if (on)
            glEnable(coord);
        else
            glDisable(coord);
    }
}

// For its lifetime, a texture matrix that turns a texture whose rows lie
// top first the right way up (none for other textures). In 2D t becomes
// 1 - t; in a cube map the direction's y is negated, which flips every
// face and trades the +Y and -Y faces.
class TopDownTextureMatrix {
public:
    TopDownTextureMatrix(bool topDown, GLenum target) : active_(topDown) {
        if (!active_) return;
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glLoadIdentity();
        if (target == GL_TEXTURE_2D) glTranslatef(0.0f, 1.0f, 0.0f);
        glScalef(1.0f, -1.0f, 1.0f);
        glMatrixMode(GL_MODELVIEW);
    }
    ~TopDownTextureMatrix() {
        if (!active_) return;
        glMatrixMode(GL_TEXTURE);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
    TopDownTextureMatrix(const TopDownTextureMatrix&) = delete;
    TopDownTextureMatrix& operator=(const TopDownTextureMatrix&) = delete;

private:
    bool active_;
};

void DrawReflectionMapped(const Mesh& model, unsigned int testTexture, bool topDown) {
    for (const GLenum coord : {GL_S, GL_T, GL_R}) glTexGeni(coord, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    SetTexGen(true);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, testTexture);
    {
        const TopDownTextureMatrix flip(topDown, GL_TEXTURE_CUBE_MAP);
        Draw(model);
    }
    glDisable(GL_TEXTURE_CUBE_MAP);
    glEnable(GL_TEXTURE_2D);
    SetTexGen(false);
}

void DrawSphereMapped(const Mesh& model, unsigned int testTexture, bool topDown) {
    glBindTexture(GL_TEXTURE_2D, testTexture);
    SetTexGen(true);
    // Sphere mapping exists for S and T only; R keeps its mode (unused by a 2D texture).
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    {
        const TopDownTextureMatrix flip(topDown, GL_TEXTURE_2D);
        Draw(model);
    }
    SetTexGen(false);
}

}  // namespace

void PushModelView(const Viewer& viewer) {
    glPushMatrix();
    // Loaded, not multiplied: whatever model-view a context was left with.
    glLoadMatrixf(viewer.camera.ViewMatrix().data());
    glColor3f(1.0f, 1.0f, 1.0f);
    glRotatef(viewer.modelRotX, 1.0f, 0.0f, 0.0f);
    glRotatef(viewer.modelRotY, 0.0f, 1.0f, 0.0f);
    glRotatef(viewer.modelRotZ, 0.0f, 0.0f, 1.0f);
}

void RenderFrame(const Viewer& viewer) {
    ApplySceneState(viewer);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    PushModelView(viewer);
    switch (TextureModeRowOf(viewer.textureMode).kind) {
    case TextureKind::Model: DrawOwnLook(viewer.model, viewer.textures); break;
    case TextureKind::None: Draw(viewer.model); break;
    case TextureKind::Cube: DrawReflectionMapped(viewer.model, viewer.testTexture, viewer.testTextureTopDown); break;
    case TextureKind::Flat: DrawSphereMapped(viewer.model, viewer.testTexture, viewer.testTextureTopDown); break;
    }
    if (viewer.showNormals) DrawNormals(viewer.model);
    glPopMatrix();
}

void ResizeViewport(Viewer& viewer, int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    // A zero width would make a frustum with no sides, which GL refuses;
    // nothing is drawn into a zero-width viewport anyway.
    const int aspectWidth = width > 0 ? width : 1;
    viewer.frustum.SetPerspective(35.0f, static_cast<float>(static_cast<double>(aspectWidth) / height), 1.0f, 100.0f);
    // Loaded now for the code that draws without a frame (benchmarks); every
    // frame loads it again.
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(viewer.frustum.Projection().data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void LoadTestTexture(Viewer& viewer, MessageSink& messages) {
    if (!viewer.deferTestTextures) {
        viewer.testTextureTopDown =
            ReloadTestTexture(viewer.textureMode, viewer.startupDir, viewer.testTexture, messages).topDown;
        return;
    }
    CheckTestTexture(viewer.textureMode, viewer.startupDir, messages);
    viewer.testTexturePending = true;
}

void UploadPendingTestTexture(Viewer& viewer, MessageSink& messages) {
    if (!viewer.testTexturePending) return;
    viewer.testTexturePending = false;
    if (HasTestImage(viewer.textureMode))
        viewer.testTextureTopDown =
            ReloadTestTexture(viewer.textureMode, viewer.startupDir, viewer.testTexture, messages).topDown;
}

void DeleteTestTexture(Viewer& viewer) {
    glDeleteTextures(1, &viewer.testTexture);
    // The name may be handed out again; don't keep a stale one.
    viewer.testTexture = 0;
    viewer.testTextureTopDown = false;
}

void ShutdownScene(Viewer& viewer) {
    DeleteTestTexture(viewer);
    viewer.textures = {};
}
