#include "app/scene.h"

#include <epoxy/gl.h>

#include "math/camera.h"
#include "math/view_frustum.h"
#include "model/mesh.h"
#include "textures/texture_modes.h"

std::string LoadFailureText(std::string_view path, std::string_view reason) {
    std::string text = "Could not load the model \"";
    text += path;
    text += "\":\n";
    text += reason;
    return text;
}

void InitScene(MessageSink& messages) {
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

    textureMode = BMP;
    ReloadTestTexture(messages);
    glEnable(GL_TEXTURE_2D);

    // Relative to the current directory; a viewer started where there is
    // none uses the one under startupDir (the installed assets).
    const std::string defaultModel = ResolveAssetPath(kDefaultModelPath, startupDir);
    // A failed load keeps the previous (at start-up: empty) model, which must
    // not be scaled a second time.
    if (const LoadResult result = model.LoadXML(defaultModel, messages)) {
        model.Scale(8.0f);
        model.NormalizeNormals();
    } else {
        messages.ShowMessage(LoadFailureText(defaultModel, result.reason), "Error");
    }
    if (model.GetNumTextures() != 0) textureMode = ModelsOwn;
    ResetCamera();
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

void DrawWithOwnTexture() {
    if (model.GetNumTextures() != 0) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, model.GetTexture());
    }
    model.Draw();
}

void DrawReflectionMapped() {
    for (const GLenum coord : {GL_S, GL_T, GL_R}) glTexGeni(coord, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    SetTexGen(true);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, testTexture);
    model.Draw();
    glDisable(GL_TEXTURE_CUBE_MAP);
    glEnable(GL_TEXTURE_2D);
    SetTexGen(false);
}

void DrawSphereMapped() {
    glBindTexture(GL_TEXTURE_2D, testTexture);
    SetTexGen(true);
    // Sphere mapping exists for S and T only; R keeps its mode (unused by a 2D texture).
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    model.Draw();
    SetTexGen(false);
}

}  // namespace

void RenderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    camera.ApplyView(false);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRotatef(modelRotX, 1.0f, 0.0f, 0.0f);
    glRotatef(modelRotY, 0.0f, 1.0f, 0.0f);
    glRotatef(modelRotZ, 0.0f, 0.0f, 1.0f);
    switch (textureMode) {
    case ModelsOwn:
        DrawWithOwnTexture();
        break;
    case Off:
        model.Draw();
        break;
    case BMPCubemap:
    case DDSCubemap:
        DrawReflectionMapped();
        break;
    default:
        DrawSphereMapped();
        break;
    }
    glPopMatrix();
}

void ResizeViewport(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero width would make a frustum with no sides, which GL refuses;
    // nothing is drawn into a zero-width viewport anyway.
    const int aspectWidth = width > 0 ? width : 1;
    frustum.SetPerspective(35.0f, static_cast<float>(static_cast<double>(aspectWidth) / height), 1.0f, 100.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void DeleteTestTexture() {
    glDeleteTextures(1, &testTexture);
    // The name may be handed out again; don't keep a stale one.
    testTexture = 0;
}

void ShutdownScene() {
    DeleteTestTexture();
    model.ClearTexture();
}
