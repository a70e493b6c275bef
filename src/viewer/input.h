// Keys and mouse drags that move the eye and turn the model, and Fit.
#pragma once

#include "viewer/viewer_shell.h"
#include "viewer/viewer_state.h"

// The radius Fit gives a model: the default cube's as it shows at start
// (8 units wide), so a fitted model fills the view as much as it does.
inline constexpr float kFitRadius = 6.92820323f;  // 4 * sqrt(3)
// Centres the model on the point it turns about, scales it to kFitRadius,
// remembers that it is fitted and resets the camera.
void FitModel(Viewer& viewer, ViewerShell& shell);

enum class ViewerKey { Escape, Up, Down, Left, Right, A, D, W, S, F, Other };
enum class MouseButton { Left, Right, Middle };

// Every key-down repaints; Escape quits; F runs FitModel.
void KeyDown(Viewer& viewer, ViewerKey key, ViewerShell& shell);
// Positions in pixels of the drawing area; negative left of or above it.
void MouseDown(Viewer& viewer, MouseButton button, int x, int y);
// The release of any button ends the drag.
void MouseUp(Viewer& viewer);
void MouseMove(Viewer& viewer, int x, int y, ViewerShell& shell);
// Moves the eye forward (positive, wheel up: nearer) or back by notches of
// the wheel; a fraction of a notch (smooth scrolling) moves that fraction.
// The eye never enters the model's bounding sphere grown by the near
// plane's distance: it stops on it, and from inside it only moves out.
void Wheel(Viewer& viewer, double notches, ViewerShell& shell);
// One drag step from (lastMouseX, lastMouseY) to (mouseX, mouseY) in the current dragMode.
void ApplyMouseDrag(Viewer& viewer);
