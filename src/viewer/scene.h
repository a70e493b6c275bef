// The scene: the fixed GL state, the light, the first test texture and the
// default model, and one frame of the current model. Every function needs a
// current GL context.
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

// Runs once when the context exists and viewer.startupDir is recorded. A
// default model that can't be loaded is reported through messages (caption
// "Error"); the viewer goes on with an empty model.
void InitScene(Viewer& viewer, MessageSink& messages, DefaultModel defaultModel = DefaultModel::Load);
// Draws one frame into the bound framebuffer. Expects GL_MODELVIEW current
// and leaves the model-view matrix as it found it.
void RenderFrame(const Viewer& viewer);
// What a frame sets before it draws: pushes the model-view matrix, then the
// camera's view, white, and the model's turns. The caller pops the matrix.
void PushModelView(const Viewer& viewer);
// Viewport and projection for a drawing area of width x height pixels.
void ResizeViewport(Viewer& viewer, int width, int height);
void DeleteTestTexture(Viewer& viewer);

// The test texture of viewer.textureMode: loaded now, or, when the viewer
// defers test textures, its files only checked (with the same messages).
void LoadTestTexture(Viewer& viewer, MessageSink& messages);
// Uploads a deferred test texture when the current mode draws with one.
void UploadPendingTestTexture(Viewer& viewer, MessageSink& messages);
// Releases every texture the viewer owns (test texture and the model's own);
// safe to call twice.
void ShutdownScene(Viewer& viewer);
