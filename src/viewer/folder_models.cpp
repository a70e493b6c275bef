#include "viewer/folder_models.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "formats/model_format.h"

namespace {

namespace fs = std::filesystem;

// Name order without regard to case; names that differ only in case keep their byte order.
std::string SortKey(const fs::path& file) {
    std::string name = file.filename().string();
    std::string key = name;
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    return key + '\0' + name;
}

bool IsModelFile(const fs::directory_entry& entry) {
    std::error_code ec;
    if (!entry.is_regular_file(ec)) return false;
    const ModelFormatInfo* format = FindModelFormatForPath(entry.path().filename().string());
    return format && format->CanRead();
}

}  // namespace

std::optional<std::string> NeighbourModel(const std::string& path, FolderStep step) {
    const fs::path current(path);
    const std::string currentKey = SortKey(current);
    std::vector<std::pair<std::string, fs::path>> models;
    std::error_code ec;
    for (fs::directory_iterator it(current.parent_path().empty() ? "." : current.parent_path(), ec), end;
         !ec && it != end; it.increment(ec)) {
        if (IsModelFile(*it) && SortKey(it->path()) != currentKey) models.emplace_back(SortKey(it->path()), it->path());
    }
    if (models.empty()) return std::nullopt;
    std::sort(models.begin(), models.end());
    // The first model after the current name, or the last one before it; round the ends.
    const auto after = std::upper_bound(models.begin(), models.end(), currentKey,
                                        [](const std::string& key, const auto& model) { return key < model.first; });
    if (step == FolderStep::Next) return (after == models.end() ? models.front() : *after).second.string();
    return (after == models.begin() ? models.back() : *std::prev(after)).second.string();
}
