// The scene: the first test texture and the default model, one frame of the
// current model (which sets the fixed GL state, the light, the options and
// the projection from the Viewer), and the textures that belong to a GL
// context. Every function needs a current GL context.
#pragma once

#include <string>
#include <string_view>

#include "base/message_sink.h"
#include "viewer/viewer_state.h"

// The model loaded at start-up, relative to the current directory (or,
// when it isn't there, to the viewer's startupDir).
inline constexpr const char* kDefaultModelPath = "Assets/TexturedCube.xml";

// The text of the message box for a model file that could not be loaded.
std::string LoadFailureText(std::string_view path, std::string_view reason);

// Whether the scene set-up loads the default model: a run that opens another
// model at once (a snapshot of MODEL) skips it, since it would be replaced.
enum class DefaultModel { Load, Skip };

// Runs once, when the first context exists and viewer.startupDir is
// recorded; leaves the context in the viewer's state. A default model that
// can't be loaded is reported through messages (caption "Error"); the
// viewer goes on with an empty model.
void InitScene(Viewer& viewer, MessageSink& messages, DefaultModel defaultModel = DefaultModel::Load);
// The set-up of each later context (after ShutdownScene in the one before):
// uploads the textures the viewer shows again, the model's own and the test
// texture of its mode, and leaves the context in the viewer's state. The
// model, the options and the view stay as they are.
void RestoreScene(Viewer& viewer, MessageSink& messages);
// Draws one frame into the bound framebuffer: applies the viewer's state
// (fixed set-up, options, projection), then draws. Expects GL_MODELVIEW
// current and leaves the model-view matrix as it found it.
void RenderFrame(const Viewer& viewer);
// What a frame sets before it draws: pushes the model-view matrix, loads the
// camera's view, then white and the model's turns. The caller pops the matrix.
void PushModelView(const Viewer& viewer);
// Viewport and projection for a drawing area of width x height pixels: the
// projection is the viewer's (viewer.frustum), which every frame loads.
void ResizeViewport(Viewer& viewer, int width, int height);
void DeleteTestTexture(Viewer& viewer);

// The test texture of viewer.textureMode: loaded now, or, when the viewer
// defers test textures, its files only checked (with the same messages).
void LoadTestTexture(Viewer& viewer, MessageSink& messages);
// Uploads a deferred test texture when the current mode draws with one.
void UploadPendingTestTexture(Viewer& viewer, MessageSink& messages);
// Releases every texture the viewer owns (test texture and the model's own)
// while their context is current, before it goes; safe to call twice. The
// model, its own image's path and the options stay, for RestoreScene.
void ShutdownScene(Viewer& viewer);
