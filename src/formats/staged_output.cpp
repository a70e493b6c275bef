#include "formats/staged_output.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace fs = std::filesystem;

namespace {

constexpr std::array kCleanupSignals = {SIGINT, SIGTERM, SIGHUP};

// The hidden names of named staging, for the signal handler. A handler can
// reach only static storage, so this is the one table the process shares:
// fixed slots, each claimed and released with one atomic store, read without
// locks. A name that finds no free slot is still written and removed as usual,
// only not on a signal.
enum SlotState : int { kFree, kClaimed, kReady };
struct HiddenSlot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX] = {};
};
static_assert(std::atomic<int>::is_always_lock_free);
constinit std::array<HiddenSlot, 32> hiddenSlots{};

int RememberHidden(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (std::size_t i = 0; i < hiddenSlots.size(); ++i) {
        int expected = kFree;
        if (!hiddenSlots[i].state.compare_exchange_strong(expected, kClaimed)) continue;
        std::memcpy(hiddenSlots[i].path, path.c_str(), path.size() + 1);
        hiddenSlots[i].state.store(kReady, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

void ForgetHidden(int slot) {
    if (slot >= 0) hiddenSlots[static_cast<std::size_t>(slot)].state.store(kFree, std::memory_order_release);
}

// Only async-signal-safe calls: unlink and raise.
extern "C" void RemoveHiddenAndRaise(int signal) {
    const int savedErrno = errno;
    for (HiddenSlot& slot : hiddenSlots)
        if (slot.state.load(std::memory_order_acquire) == kReady) unlink(slot.path);
    errno = savedErrno;
    // SA_RESETHAND has made the default action current: the signal, pending
    // until this returns, ends the program as it would have without us.
    raise(signal);
}

// Holds off the cleanup signals for a scope, so that a hidden name and its
// slot come and go together, and a commit is done whole or not at all.
class BlockCleanupSignals {
public:
    BlockCleanupSignals() {
        sigset_t set;
        sigemptyset(&set);
        for (const int s : kCleanupSignals) sigaddset(&set, s);
        pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~BlockCleanupSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    BlockCleanupSignals(const BlockCleanupSignals&) = delete;
    BlockCleanupSignals& operator=(const BlockCleanupSignals&) = delete;

private:
    sigset_t previous_;
};

std::string HiddenName() {
    std::random_device random;
    char name[32];
    std::snprintf(name, sizeof name, ".tessa-%08x%04x", random(), random() & 0xffffu);
    return name;
}

std::string Reason(const std::string& what, int error) { return what + ": " + std::strerror(error); }

// The absolute folder of path, in one spelling however path names it.
fs::path FolderOf(const fs::path& path) {
    std::error_code ec;
    fs::path folder = fs::absolute(path, ec).parent_path().lexically_normal();
    if (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
    return folder;
}

// Renames from to to (both in folder) only where nothing, not even a link to
// nothing, is at to.
int MoveWithoutReplacing(int folder, const std::string& from, const std::string& to) {
    if (renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    // A file system without the flag: a new link never replaces either.
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0) return errno;
    unlinkat(folder, from.c_str(), 0);
    return 0;
}

// Gives an unnamed file the name name in folder; a new link never replaces a
// file. Through /proc, which needs no privilege; AT_EMPTY_PATH where /proc is missing.
int LinkUnnamed(int fd, int folder, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    const int error = errno;
    if (error != ENOENT || access("/proc/self/fd", F_OK) == 0) return error;
    return linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

}  // namespace

StagedFile::StagedFile(std::string name, int fd, std::string tempPath)
    : name_(std::move(name)), fd_(fd), tempPath_(std::move(tempPath)) {}

bool StagedFile::Write(std::span<const std::uint8_t> bytes) {
    while (error_ == 0 && !bytes.empty()) {
        const ssize_t n = pwrite(fd_.get(), bytes.data(), bytes.size(), static_cast<off_t>(position_));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
            break;
        }
        position_ += static_cast<std::uint64_t>(n);
        end_ = std::max(end_, position_);
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return error_ == 0;
}

bool StagedFile::Seek(std::uint64_t position) {
    if (error_ != 0) return false;
    position_ = position;
    return true;
}

std::string StagedFile::Failure() const {
    return error_ == 0 ? std::string() : Reason("writing " + name_ + " failed", error_);
}

StagedOutput::StagedOutput(const fs::path& target, Staging staging)
    : target_(target),
      folder_(FolderOf(target)),
      folderFd_(open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
      folderError_(folderFd_.valid() ? 0 : errno),
      staging_(staging) {}

StagedOutput::~StagedOutput() {
    for (const std::unique_ptr<StagedFile>& file : files_) Discard(*file);
}

void StagedOutput::Discard(StagedFile& file) const {
    if (file.tempPath_.empty()) return;
    const BlockCleanupSignals block;
    unlink(file.tempPath_.c_str());
    ForgetHidden(file.slot_);
    file.tempPath_.clear();
    file.slot_ = -1;
}

StagedOutput::Opened StagedOutput::Open(const fs::path& path) {
    if (!folderFd_.valid()) return {nullptr, Reason("cannot write into " + folder_.string(), folderError_)};
    const std::string name = path.filename().string();
    if (name.empty() || name == "." || name == ".." || FolderOf(path) != folder_)
        return {nullptr, "writes only files beside " + target_.string() + ", not " + path.string()};
    // Opened again: the same file starts over (a stream on it may still be open).
    const auto same = std::find_if(files_.begin(), files_.end(), [&name](const auto& f) { return f->name_ == name; });
    if (same != files_.end()) {
        StagedFile& file = **same;
        if (ftruncate(file.fd_.get(), 0) != 0) return {nullptr, Reason("cannot write " + name, errno)};
        file.position_ = file.end_ = 0;
        file.error_ = 0;
        return {&file, {}};
    }

    if (staging_ == Staging::Unnamed) {
        const int fd = openat(folderFd_.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            files_.push_back(std::unique_ptr<StagedFile>(new StagedFile(name, fd, {})));
            return {files_.back().get(), {}};
        }
        // No unnamed files here (or a kernel before them): stage by name.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return {nullptr, Reason("cannot write into " + folder_.string(), errno)};
        staging_ = Staging::Named;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string hidden = (folder_ / HiddenName()).string();
        const BlockCleanupSignals block;
        // 0666 less the umask, as any new file gets.
        const int fd = open(hidden.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return {nullptr, Reason("cannot write into " + folder_.string(), errno)};
        files_.push_back(std::unique_ptr<StagedFile>(new StagedFile(name, fd, hidden)));
        files_.back()->slot_ = RememberHidden(hidden);
        return {files_.back().get(), {}};
    }
    return {nullptr, "cannot find a free temporary name in " + folder_.string()};
}

std::string StagedOutput::TakenReason(const std::string& name) const {
    return "\"" + name + "\", which is written with it, is already there and is never replaced: move it away or " +
           "choose another name";
}

std::string StagedOutput::CompanionTaken(const std::string& name) const {
    struct stat st;
    if (folderFd_.valid() && fstatat(folderFd_.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return TakenReason(name);
    return {};
}

std::string StagedOutput::Finish(StagedFile& file) const {
    // The import library's writers ignore what a write returns: a failure
    // they passed over is caught here.
    if (std::string why = file.Failure(); !why.empty()) return why;
    if (fsync(file.fd_.get()) != 0) return Reason("flushing " + file.name_ + " to disk failed", errno);
    struct stat st;
    if (fstat(file.fd_.get(), &st) != 0) return Reason("cannot check " + file.name_, errno);
    if (static_cast<std::uint64_t>(st.st_size) != file.end_)
        return file.name_ + " holds " + std::to_string(st.st_size) + " bytes on disk where " +
               std::to_string(file.end_) + " were written";
    return {};
}

std::string StagedOutput::Commit() {
    const std::string targetName = target_.filename().string();
    const auto target =
        std::find_if(files_.begin(), files_.end(), [&](const auto& f) { return f->name_ == targetName; });
    if (target == files_.end()) return "nothing was written for " + targetName;
    for (const std::unique_ptr<StagedFile>& file : files_)
        if (std::string why = Finish(*file); !why.empty()) return why;
    StagedFile& main = **target;
    const int folder = folderFd_.get();
    // An existing file keeps its mode; a new one has 0666 less the umask.
    struct stat old;
    if (fstatat(folder, targetName.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode) &&
        fchmod(main.fd_.get(), old.st_mode & 07777) != 0)
        return Reason("cannot give " + targetName + " the mode it had", errno);

    // From here the folder changes: a cleanup signal waits until it is done
    // or undone, so it never finds companions without their target.
    const BlockCleanupSignals block;
    std::vector<std::string> placed;
    const auto fail = [&](std::string why) {
        for (const std::string& name : placed) unlinkat(folder, name.c_str(), 0);
        return why;
    };
    for (const std::unique_ptr<StagedFile>& file : files_) {
        if (file.get() == &main) continue;
        const int error = file->tempPath_.empty() ? LinkUnnamed(file->fd_.get(), folder, file->name_)
                                                  : MoveWithoutReplacing(folder, file->tempPath_, file->name_);
        if (error == EEXIST) return fail(TakenReason(file->name_));
        if (error != 0) return fail(Reason("cannot move " + file->name_ + " into place", error));
        placed.push_back(file->name_);
        ForgetHidden(file->slot_);
        file->tempPath_.clear();
        file->slot_ = -1;
    }
    // The target replaces what is there, so it needs a name to rename from.
    std::string from = main.tempPath_;
    if (from.empty()) {
        int error = EEXIST;
        for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
            from = HiddenName();
            error = LinkUnnamed(main.fd_.get(), folder, from);
        }
        if (error != 0) return fail(Reason("cannot move " + targetName + " into place", error));
    }
    if (renameat(folder, from.c_str(), folder, targetName.c_str()) != 0) {
        const int error = errno;
        unlinkat(folder, from.c_str(), 0);
        return fail(Reason("cannot move " + target_.string() + " into place", error));
    }
    ForgetHidden(main.slot_);
    main.tempPath_.clear();
    main.slot_ = -1;
    // The new names last across a crash only once the folder is on disk too.
    if (fsync(folder) != 0 && errno != EINVAL)
        return Reason(targetName + " is in place, but flushing its folder to disk failed", errno);
    return {};
}

struct RemoveStagedFilesOnSignal::Previous {
    std::array<struct sigaction, kCleanupSignals.size()> actions{};
    std::array<bool, kCleanupSignals.size()> installed{};
};

RemoveStagedFilesOnSignal::RemoveStagedFilesOnSignal() : previous_(std::make_unique<Previous>()) {
    struct sigaction action {};
    action.sa_handler = RemoveHiddenAndRaise;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int s : kCleanupSignals) sigaddset(&action.sa_mask, s);
    for (std::size_t i = 0; i < kCleanupSignals.size(); ++i) {
        // A signal the program was started to ignore (nohup, a background
        // job) stays ignored; one with a handler of its own keeps it.
        sigaction(kCleanupSignals[i], nullptr, &previous_->actions[i]);
        if (previous_->actions[i].sa_handler != SIG_DFL || (previous_->actions[i].sa_flags & SA_SIGINFO)) continue;
        previous_->installed[i] = sigaction(kCleanupSignals[i], &action, nullptr) == 0;
    }
}

RemoveStagedFilesOnSignal::~RemoveStagedFilesOnSignal() {
    for (std::size_t i = 0; i < kCleanupSignals.size(); ++i)
        if (previous_->installed[i]) sigaction(kCleanupSignals[i], &previous_->actions[i], nullptr);
}

bool WriteStraightTo(const std::string& path, const std::function<bool(const BytePut&)>& fill, std::string& error) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = fill([&file](std::span<const std::uint8_t> bytes) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    });
    // The stream's own buffer, then the system's, go to disk before the file
    // counts as written; closing can fail too.
    const bool flushed = written && std::fflush(file.get()) == 0 && fsync(fileno(file.get())) == 0;
    const bool closed = std::fclose(file.release()) == 0;
    if (!flushed || !closed) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
