// The program's command line: the window (optionally with a model), a
// headless snapshot, a model report, help and version. Parsing has no side
// effects, so the window and the headless modes share it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "viewer/command_ids.h"
#include "mesh/load_result.h"

// Exit statuses of the command-line modes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitModelRefused = 1;  // --info: the viewer would refuse the model
inline constexpr int kExitLoadFailed = 2;    // a model or asset could not be loaded
inline constexpr int kExitRenderFailed = 3;  // no GL context, or the picture could not be written
inline constexpr int kExitUsage = 64;        // bad arguments

inline constexpr std::string_view kVersionText = "tessaview 1.0.0";

enum class CliMode { Window, Snapshot, Info, Convert, Help, Version, Invalid };

struct SnapshotOptions {
    std::string outPath;
    int width = 800;
    int height = 600;
    // The texture menu item to pick (a CommandId::Tex* item); none keeps the viewer's choice.
    std::optional<CommandId> textureCommand;
    // Fit the model to the view before the other options (as the F key does).
    bool fit = false;
    bool wireframe = false;
    bool noLight = false;
    bool noCull = false;
    bool clockwise = false;
    // modelRotX and modelRotY in degrees.
    std::optional<float> rotateX;
    std::optional<float> rotateY;
};

struct CommandLine {
    CliMode mode = CliMode::Window;
    std::string model;       // empty: none given; --convert: the input
    std::string convertOut;  // --convert: the output
    SnapshotOptions snapshot;
    ReadOptions read;  // for the model in every mode
    std::string error;  // why the arguments are refused (mode Invalid)
};

// Parses the arguments after the program name.
CommandLine ParseCommandLine(std::span<const std::string_view> args);

// The usage text, every option and the exit statuses.
std::string UsageText();

// The CommandId::Tex* item for a --texture value ("off", "bmp", ... "own"); none for others.
std::optional<CommandId> TextureCommandByName(std::string_view name);
