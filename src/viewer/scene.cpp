#include "viewer/scene.h"

#include <epoxy/gl.h>

#include "draw/mesh_gl.h"

std::string LoadFailureText(std::string_view path, std::string_view reason) {
    std::string text = "Could not load the model \"";
    text += path;
    text += "\":\n";
    text += reason;
    return text;
}

void InitScene(Viewer& viewer, MessageSink& messages, DefaultModel defaultModelChoice) {
    static constexpr GLfloat noLight[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    static constexpr GLfloat someLight[4] = {0.85f, 0.85f, 0.85f, 0.0f};
    static constexpr GLfloat lightPos[4] = {0.0f, 0.0f, 0.0f, 1.0f};

    glClearColor(0.2f, 0.2f, 0.4f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);

    // Given once while the model-view matrix is the identity: the light sits
    // at the eye and moves with the camera.
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, noLight);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, someLight);
    glLightfv(GL_LIGHT0, GL_SPECULAR, noLight);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPos);

    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);

    viewer.textureMode = BMP;
    LoadTestTexture(viewer, messages);
    glEnable(GL_TEXTURE_2D);

    Mesh& model = viewer.model;
    if (defaultModelChoice == DefaultModel::Load) {
        // Relative to the current directory; a viewer started where there is
        // none uses the one under startupDir (the installed assets).
        const std::string defaultModel = ResolveAssetPath(kDefaultModelPath, viewer.startupDir);
        // A failed load keeps the previous (at start-up: empty) model, which
        // must not be scaled a second time.
        if (const LoadResult result = LoadXML(model, viewer.ownTexture, defaultModel, viewer.startupDir, messages)) {
            model.Scale(8.0f);
            model.NormalizeNormals();
        } else {
            messages.ShowMessage(LoadFailureText(defaultModel, result.reason), "Error");
        }
    }
    if (model.GetNumTextures() != 0) viewer.textureMode = ModelsOwn;
    ResetCamera(viewer);
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

void DrawWithOwnTexture(const Mesh& model, const GlTexture& texture) {
    if (model.GetNumTextures() != 0) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture.Name());
    }
    Draw(model);
}

void DrawReflectionMapped(const Mesh& model, unsigned int testTexture) {
    for (const GLenum coord : {GL_S, GL_T, GL_R}) glTexGeni(coord, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    SetTexGen(true);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, testTexture);
    Draw(model);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glEnable(GL_TEXTURE_2D);
    SetTexGen(false);
}

void DrawSphereMapped(const Mesh& model, unsigned int testTexture) {
    glBindTexture(GL_TEXTURE_2D, testTexture);
    SetTexGen(true);
    // Sphere mapping exists for S and T only; R keeps its mode (unused by a 2D texture).
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    Draw(model);
    SetTexGen(false);
}

}  // namespace

void PushModelView(const Viewer& viewer) {
    glPushMatrix();
    glMultMatrixf(viewer.camera.ViewMatrix().data());
    glColor3f(1.0f, 1.0f, 1.0f);
    glRotatef(viewer.modelRotX, 1.0f, 0.0f, 0.0f);
    glRotatef(viewer.modelRotY, 0.0f, 1.0f, 0.0f);
    glRotatef(viewer.modelRotZ, 0.0f, 0.0f, 1.0f);
}

void RenderFrame(const Viewer& viewer) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    PushModelView(viewer);
    switch (viewer.textureMode) {
    case ModelsOwn: DrawWithOwnTexture(viewer.model, viewer.ownTexture); break;
    case Off: Draw(viewer.model); break;
    case BMPCubemap:
    case DDSCubemap: DrawReflectionMapped(viewer.model, viewer.testTexture); break;
    default: DrawSphereMapped(viewer.model, viewer.testTexture); break;
    }
    glPopMatrix();
}

void ResizeViewport(Viewer& viewer, int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    // A zero width would make a frustum with no sides, which GL refuses;
    // nothing is drawn into a zero-width viewport anyway.
    const int aspectWidth = width > 0 ? width : 1;
    viewer.frustum.SetPerspective(35.0f, static_cast<float>(static_cast<double>(aspectWidth) / height), 1.0f, 100.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(viewer.frustum.Projection().data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void LoadTestTexture(Viewer& viewer, MessageSink& messages) {
    if (!viewer.deferTestTextures) {
        ReloadTestTexture(viewer.textureMode, viewer.startupDir, viewer.testTexture, messages);
        return;
    }
    CheckTestTexture(viewer.textureMode, viewer.startupDir, messages);
    viewer.testTexturePending = true;
}

void UploadPendingTestTexture(Viewer& viewer, MessageSink& messages) {
    if (!viewer.testTexturePending) return;
    viewer.testTexturePending = false;
    if (viewer.textureMode != Off && viewer.textureMode != ModelsOwn)
        ReloadTestTexture(viewer.textureMode, viewer.startupDir, viewer.testTexture, messages);
}

void DeleteTestTexture(Viewer& viewer) {
    glDeleteTextures(1, &viewer.testTexture);
    // The name may be handed out again; don't keep a stale one.
    viewer.testTexture = 0;
}

void ShutdownScene(Viewer& viewer) {
    DeleteTestTexture(viewer);
    ClearTexture(viewer.model, viewer.ownTexture);
}
