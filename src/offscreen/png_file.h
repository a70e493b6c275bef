#pragma once

#include <string>

#include "offscreen/headless_context.h"

// Writes an 8-bit RGBA PNG. Returns false and fills error on failure.
bool WritePng(const std::string& path, const RgbaImage& image, std::string& error);
// Writes a frame as the window shows it: opaque, whatever its alpha (the
// snapshot and the window's Save Picture).
bool WriteOpaquePng(const std::string& path, RgbaImage image, std::string& error);
// Reads any PNG as 8-bit RGBA; for tests and comparisons.
bool ReadPng(const std::string& path, RgbaImage& image, std::string& error);
