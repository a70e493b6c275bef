#include "viewer/recent_files.h"

#include <algorithm>

void AddRecentFile(std::vector<std::string>& list, const std::string& path) {
    DropRecentFile(list, path);
    list.insert(list.begin(), path);
    if (list.size() > kRecentFilesKept) list.resize(kRecentFilesKept);
}

void DropRecentFile(std::vector<std::string>& list, const std::string& path) { std::erase(list, path); }
