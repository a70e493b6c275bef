// The viewer's asset folder: test textures, the default model and the
// example models, generated from code so they can be rebuilt and checked.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Writes every asset into dir (the "Assets" folder), creating dir and its
// "examples" folder as needed. On success, written lists the files, relative
// to dir with forward slashes, in the order written; on failure, error says
// what went wrong.
bool GenerateAssets(const std::filesystem::path& dir, std::vector<std::string>& written, std::string& error);
