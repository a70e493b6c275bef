// The model files beside the shown one: Page Down and Page Up step through
// the files of its folder that a format reads (by extension, in any case),
// in name order.
#pragma once

#include <optional>
#include <string>

enum class FolderStep { Next, Previous };

// The model file after (Next) or before (Previous) path in its folder, by
// name without regard to case; past the last comes the first and before the
// first the last. Nothing when the folder holds no other model file (path
// itself need not exist any more).
std::optional<std::string> NeighbourModel(const std::string& path, FolderStep step);
