// The list of recently opened model files, newest first: what File >
// Recent Files offers and what the window keeps between runs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

inline constexpr std::size_t kRecentFilesKept = 10;

// Puts path at the front, taking it out of where it was before; the oldest
// beyond kRecentFilesKept go.
void AddRecentFile(std::vector<std::string>& list, const std::string& path);
// Takes path out of the list (a file that is gone).
void DropRecentFile(std::vector<std::string>& list, const std::string& path);
