// The window as a module (tessaview-window.so) that the program loads only
// when it opens its window, so that headless runs never map the toolkit.
// No Qt here: the program includes this header.
#pragma once

#include <cstdint>
#include <string>

#include "mesh/load_result.h"

class ModelReadAhead;

// What RunViewer takes. Program and module are built together; version and
// the sizes catch a module from another build.
struct WindowStart {
    std::uint32_t version;
    std::uint32_t optionsBytes;  // sizeof(ReadOptions)
    int* argc;
    char** argv;
    const std::string* model;
    const std::string* startupDir;
    const ReadOptions* read;
    ModelReadAhead* readAhead;  // null: none
};
inline constexpr std::uint32_t kWindowModuleVersion = 1;
inline constexpr const char* kWindowModule = "tessaview-window.so";
inline constexpr const char* kWindowEntry = "tessa_run_window";
using WindowEntry = int (*)(const WindowStart& start);
