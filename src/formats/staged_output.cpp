#include "formats/staged_output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

StagedOutput::StagedOutput(const fs::path& target) : target_(target) {
    // The same folder as the target, so that the renames stay on one file system.
    const fs::path parent = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    std::string pattern = (parent / ".tessa-output-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        folder_ = pattern;
    else
        error_ = "cannot write into " + parent.string() + ": " + std::strerror(errno);
}

StagedOutput::~StagedOutput() {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
}

std::string StagedOutput::Path() const { return (folder_ / target_.filename()).string(); }

WriteResult StagedOutput::Commit() {
    std::error_code ec;
    std::vector<fs::path> companions;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_, ec))
        if (entry.path().filename() != target_.filename()) companions.push_back(entry.path());
    if (ec) return WriteResult::Failure("cannot list " + folder_.string() + ": " + ec.message());
    const fs::path parent = target_.parent_path();
    for (const fs::path& file : companions) {
        fs::rename(file, parent / file.filename(), ec);
        if (ec) return WriteResult::Failure("cannot move " + file.filename().string() + " into place: " + ec.message());
    }
    fs::rename(Path(), target_, ec);
    if (ec) return WriteResult::Failure("cannot move " + target_.string() + " into place: " + ec.message());
    return WriteResult::Success();
}
