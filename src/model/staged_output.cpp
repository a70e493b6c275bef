#include "model/staged_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Renames from to to only where nothing (not even a dangling link) is at to.
bool MoveWithoutReplacing(const fs::path& from, const fs::path& to, std::error_code& ec) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    // A file system without the flag: a new link never replaces either.
    if ((errno == EINVAL || errno == ENOSYS) && link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());  // what is left stays in the staging folder, which goes
        return true;
    }
    ec.assign(errno, std::generic_category());
    return false;
}

}  // namespace

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

bool StagedOutput::Commit(std::string& error) {
    std::error_code ec;
    std::vector<fs::path> companions;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_, ec))
        if (entry.path().filename() != target_.filename()) companions.push_back(entry.path());
    if (ec) {
        error = "cannot list " + folder_.string() + ": " + ec.message();
        return false;
    }
    // The companions are new beside the target or not written at all: the
    // output replaces the target and nothing else. On a failure the ones
    // already moved go again.
    const fs::path parent = target_.parent_path();
    std::vector<fs::path> placed;
    const auto fail = [&placed, &error](std::string why) {
        std::error_code ignored;
        for (const fs::path& file : placed) fs::remove(file, ignored);
        error = std::move(why);
        return false;
    };
    for (const fs::path& file : companions) {
        const fs::path name = file.filename();
        if (!MoveWithoutReplacing(file, parent / name, ec))
            return fail(ec == std::errc::file_exists
                            ? "\"" + name.string() + "\", which is written with it, is already there and is never "
                                  "replaced: move it away or choose another name"
                            : "cannot move " + name.string() + " into place: " + ec.message());
        placed.push_back(parent / name);
    }
    fs::rename(Path(), target_, ec);
    if (ec) return fail("cannot move " + target_.string() + " into place: " + ec.message());
    return true;
}
