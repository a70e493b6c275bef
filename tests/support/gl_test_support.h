// Shared by the GL tests: the one headless context of the test process, and
// small helpers for reading back what was drawn.
#pragma once

#include <string>

#include "offscreen/headless_context.h"

// The context every GL test draws into; created by the GL test main, current
// for the whole run. Its framebuffer is resized with Resize().
HeadlessContext& TestContext();

// Saves an image under the build folder's test-output/ (for a person to look at) and returns the path.
std::string SaveTestImage(const RgbaImage& image, const std::string& name);

// Per-channel absolute difference at most tolerance.
bool NearColor(const std::uint8_t* pixel, int r, int g, int b, int tolerance);
