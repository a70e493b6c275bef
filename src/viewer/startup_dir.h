// Where the viewer takes its assets from. Started in a folder that holds
// the default model, that folder; elsewhere, the assets installed with the
// program, so that a viewer started from a menu or a terminal anywhere
// still shows its default model and test textures.
#pragma once

#include <filesystem>
#include <string>

// The folder that holds the installed "Assets", found from the running
// executable (bin/tessaview -> share/tessaview); empty when the
// executable's path can't be read.
std::filesystem::path InstalledAssetRoot();

// The start-up directory: currentDir when it holds the default model, or
// when installedRoot doesn't either (the viewer then reports the missing
// files as before); else installedRoot.
std::string ChooseStartupDir(const std::filesystem::path& currentDir, const std::filesystem::path& installedRoot);

// ChooseStartupDir for this process's current directory and executable.
std::string StartupDirForThisProcess();
