// Everything one viewer shows and remembers: the eye and its view volume,
// the model and its turns, the texture state, the checked item of each
// option group, and the mouse drag. Only the two texture names belong to a
// GL context; everything else outlives any context. The window and the snapshot each own
// one; the commands, the open flow, the input and the frame take it by
// reference.
#pragma once

#include <string>

#include "draw/mesh_gl.h"
#include "math/camera.h"
#include "math/view_frustum.h"
#include "mesh/mesh.h"
#include "formats/model_format.h"
#include "textures/texture_modes.h"
#include "viewer/command_ids.h"

enum DragMode : int { DragNone = 0, DragPan = 1, DragRotate = 2, DragDolly = 3 };

struct Viewer {
    Viewer() = default;
    Viewer(Viewer&&) = default;
    Viewer& operator=(Viewer&&) = default;
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    Camera camera;
    ViewFrustum frustum;
    Mesh model;
    // The GL texture of the model's own image (model.texturePath); released
    // by ShutdownScene.
    ModelTextures textures;
    // The file the shown model was opened from and the format it was read
    // in; empty for the default model. A reload reads it the same way.
    std::string modelPath;
    ModelFormat modelFormat = ModelFormat::Unknown;
    // Fit was applied to the shown model: a reload applies it again.
    bool fitted = false;
    // How long the shown model took to read and upload, in seconds.
    double loadSeconds = 0.0;
    float modelRotX = 0.0f, modelRotY = 0.0f, modelRotZ = 0.0f;  // degrees

    TextureMode textureMode = TextureMode::Off;
    unsigned int testTexture = 0;  // GL name; released by ShutdownScene
    // The test texture's rows lie top first (BC6H, BC7 DDS): drawn with t flipped.
    bool testTextureTopDown = false;
    // A run that draws one frame only checks the test images as the modes
    // change and uploads the one its frame uses (UploadPendingTestTexture).
    bool deferTestTextures = false;
    bool testTexturePending = false;
    // The directory the test assets and the default model are found under.
    std::string startupDir;
    // Which files a model refers to are read (--allow-outside-references).
    ReadOptions read;

    // The checked item of each option group, as a command id: the options
    // themselves, which every frame applies (GL keeps none of them between
    // frames that the viewer relies on). Menus show these items checked
    // whenever they open.
    CommandId checkedTexture = CommandId::TexBMP;
    CommandId checkedLight = CommandId::LightOn;
    CommandId checkedRenderMode = CommandId::RenderSolid;
    CommandId checkedCulling = CommandId::CullOn;
    CommandId checkedWinding = CommandId::WindingCCW;
    // Options > Model > Show Normals: each vertex's normal drawn as a short line.
    bool showNormals = false;

    int dragMode = DragNone;
    int mouseX = 0, mouseY = 0;
    int lastMouseX = 0, lastMouseY = 0;
};

// Eye 20 units in front of the origin, model angles 0.
void ResetCamera(Viewer& viewer);
