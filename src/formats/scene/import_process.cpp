#include "formats/scene/import_process.h"

#include <fcntl.h>
#include <poll.h>
#include <stdio_ext.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/bin/bin_format.h"
#include "formats/scene/look_record.h"
#include "formats/scene/shared_model.h"
#include "base/file_descriptor.h"
#include "mesh/mesh_limits.h"

// The stream from child to parent is a series of records, each a kind byte
// and a little-endian uint64 payload size, then the payload:
//   Progress  uint64 bytes of the file done
//   Refusal   the reason (at most kMaxReasonBytes)
//   Model     uint32 path size, the own texture's path, the model in the BIN layout
//   Warning   one line for the user (at most kMaxReasonBytes), before Model
//   Look      the make-up (look_record.h), before Model
//   SharedModel  uint32 path size, the own texture's path, the BIN header:
//             the model's arrays are in the memory file (shared_model.h)
// Refusal, Model and SharedModel end the stream. The child sends SharedModel
// where the parent could make the memory file, else Model.

namespace {

// (6 was never used; a record of that kind is refused as unknown.)
enum class Record : std::uint8_t { Progress = 1, Refusal = 2, Model = 3, Warning = 4, Look = 5, SharedModel = 7 };

constexpr std::size_t kRecordHeaderBytes = 9;
constexpr std::size_t kProgressBytes = 8;
constexpr std::size_t kMaxReasonBytes = 4096;
constexpr std::size_t kMaxPathBytes = 4096;
constexpr std::size_t kMaxWarnings = 64;
constexpr std::uint64_t kMaxModelBytes =
    4 + kMaxPathBytes + kBinHeaderBytes + MeshArrayBytes(UINT32_MAX, static_cast<std::uint64_t>(INT32_MAX));
// How long the parent waits for the child before asking progress again.
constexpr int kPollMilliseconds = 100;
// A larger pipe moves a big model with fewer switches between the processes.
constexpr int kPipeBytes = 1 << 20;

// ChildLimitsFor's proportions.
constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
constexpr std::uint64_t kMemoryPerInputByte = 64;
constexpr std::uint64_t kLeastMemoryBytes = 256 * kMiB;
constexpr std::uint64_t kLeastCpuSeconds = 10;
constexpr std::uint64_t kInputBytesPerCpuSecond = kMiB;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b) {
    return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b;
}

// Whole units of unit bytes that hold bytes.
std::uint64_t UnitsFor(std::uint64_t bytes, std::uint64_t unit) { return bytes / unit + (bytes % unit != 0 ? 1 : 0); }

std::uint64_t CpuSecondsFor(std::uint64_t inputBytes) { return UnitsFor(inputBytes, kInputBytesPerCpuSecond); }

// ---- the child ----

// The child's limits as they stand, for the handlers that report a limit
// hit: a new handler and a signal handler take no arguments, so the child
// keeps them here. Written only in the child, before the import runs and
// when AllowMoreChildInput raises them; 0 is no limit.
struct LimitState {
    int pipeFd = -1;
    std::uint64_t inheritedBytes = 0;  // the address space at the fork
    std::uint64_t memoryBytes = 0;     // beyond inheritedBytes
    std::uint64_t cpuSeconds = 0;
};

LimitState& ChildLimitState() {
    static LimitState state;
    return state;
}

// Text built on the stack: the handlers that use it run out of memory or in
// a signal handler, where nothing may be allocated.
class FixedText {
public:
    FixedText& operator<<(std::string_view text) {
        const std::size_t n = std::min(text.size(), data_.size() - size_);
        std::memcpy(data_.data() + size_, text.data(), n);
        size_ += n;
        return *this;
    }
    FixedText& operator<<(std::uint64_t value) {
        const auto [end, error] = std::to_chars(data_.data() + size_, data_.data() + data_.size(), value);
        if (error == std::errc{}) size_ = static_cast<std::size_t>(end - data_.data());
        return *this;
    }
    std::string_view View() const { return {data_.data(), size_}; }

private:
    std::array<char, 160> data_{};
    std::size_t size_ = 0;
};

// SIGXCPU waits while a record is written, so that the refusal its handler
// sends never lands inside another record.
class RecordWrite {
public:
    RecordWrite() {
        sigset_t cpu;
        sigemptyset(&cpu);
        sigaddset(&cpu, SIGXCPU);
        pthread_sigmask(SIG_BLOCK, &cpu, &previous_);
    }
    ~RecordWrite() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    RecordWrite(const RecordWrite&) = delete;
    RecordWrite& operator=(const RecordWrite&) = delete;

private:
    sigset_t previous_{};
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t w = write(fd, bytes.data(), bytes.size());
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(w));
    }
    return true;
}

template <class T>
std::span<const std::uint8_t> BytesOf(const T& value) {
    return {reinterpret_cast<const std::uint8_t*>(&value), sizeof value};
}

bool SendHeader(int fd, Record kind, std::uint64_t payloadBytes) {
    std::array<std::uint8_t, kRecordHeaderBytes> header{static_cast<std::uint8_t>(kind)};
    std::memcpy(header.data() + 1, &payloadBytes, 8);
    return WriteAll(fd, header);
}

bool SendProgress(int fd, std::uint64_t done) {
    const RecordWrite whole;
    return SendHeader(fd, Record::Progress, kProgressBytes) && WriteAll(fd, BytesOf(done));
}

bool SendText(int fd, Record kind, std::string_view text) {
    const RecordWrite whole;
    text = text.substr(0, kMaxReasonBytes);
    return SendHeader(fd, kind, text.size()) &&
           WriteAll(fd, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

bool SendRefusal(int fd, std::string_view reason) { return SendText(fd, Record::Refusal, reason); }

bool SendWarnings(int fd, const std::vector<std::string>& warnings) {
    return std::all_of(warnings.begin(), warnings.end(),
                       [fd](const std::string& line) { return SendText(fd, Record::Warning, line); });
}

// The make-up, when the model has one, goes before the model it belongs to.
bool SendLook(int fd, const Mesh& mesh) {
    if (mesh.parts.empty() && mesh.materials.empty() && mesh.colors.empty() && mesh.images.empty()) return true;
    if (std::string why = CheckMeshLook(mesh); !why.empty()) return SendRefusal(fd, why);
    const RecordWrite whole;
    return SendHeader(fd, Record::Look, LookBytes(mesh)) &&
           PutLook(mesh, [fd](std::span<const std::uint8_t> bytes) { return WriteAll(fd, bytes); });
}

bool SendModel(int fd, int sharedFd, Mesh& mesh) {
    if (std::string why = CheckMeshArrays(mesh); !why.empty()) return SendRefusal(fd, why);
    const std::string& path = mesh.texturePath;
    if (path.size() > kMaxPathBytes) return SendRefusal(fd, "the texture path is too long");
    const auto pathBytes = static_cast<std::uint32_t>(path.size());
    const BinHeader header{mesh.numVerts, mesh.numFaces, mesh.numTextures};
    if (sharedFd >= 0) {
        if (!PutSharedArrays(sharedFd, mesh))
            return SendRefusal(fd, "cannot hand the model over: " + std::string(std::strerror(errno)));
        const RecordWrite whole;
        return SendHeader(fd, Record::SharedModel, 4 + path.size() + kBinHeaderBytes) &&
               WriteAll(fd, BytesOf(pathBytes)) &&
               WriteAll(fd, {reinterpret_cast<const std::uint8_t*>(path.data()), path.size()}) &&
               WriteAll(fd, BytesOf(header));
    }
    const RecordWrite whole;
    return SendHeader(fd, Record::Model, 4 + path.size() + BinFileBytes(header)) && WriteAll(fd, BytesOf(pathBytes)) &&
           WriteAll(fd, {reinterpret_cast<const std::uint8_t*>(path.data()), path.size()}) &&
           PutBIN(mesh, [fd](std::span<const std::uint8_t> bytes) { return WriteAll(fd, bytes); });
}

// Handlers and descriptors the child inherits but must not use: every
// handler back to the default (a sanitizer's or fuzzer's handler would report
// the library's crash as the caller's), a closed pipe is a failed write,
// only the pipe to the parent and the memory file stay open, and output the parent had not yet
// written is dropped (the library flushes stdio when it fails an assertion,
// which would print it twice).
void DetachFromParent(int pipeFd, int sharedFd, pid_t parent) {
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &byDefault, nullptr);  // fails harmlessly where it can't
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Not outlive the parent (a killed fuzzer, a viewer that crashed elsewhere).
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
    // Closes everything from 3 up but the kept descriptors (sharedFd may be -1).
    const auto [low, high] = std::minmax(pipeFd, sharedFd);
    unsigned from = 3;
    for (const int kept : {low, high}) {
        if (kept < 0) continue;
        if (static_cast<unsigned>(kept) > from) close_range(from, static_cast<unsigned>(kept) - 1, 0);
        from = static_cast<unsigned>(kept) + 1;
    }
    close_range(from, ~0u, 0);
    __fpurge(stdout);
    __fpurge(stderr);
}

// The address space of this process, from /proc (nothing where that is not mounted).
std::optional<std::uint64_t> AddressSpaceBytes() {
    const FileDescriptor statm(open("/proc/self/statm", O_RDONLY | O_CLOEXEC));
    std::array<char, 64> text{};
    const ssize_t got = statm.valid() ? read(statm.get(), text.data(), text.size() - 1) : -1;
    std::uint64_t pages = 0;
    if (got <= 0 || std::from_chars(text.data(), text.data() + got, pages).ec != std::errc{}) return std::nullopt;
    const long pageBytes = sysconf(_SC_PAGESIZE);
    return pageBytes > 0 ? std::optional(pages * static_cast<std::uint64_t>(pageBytes)) : std::nullopt;
}

// The new handler: an allocation beyond the memory limit ends the child with
// a refusal (the library would catch the exception and report it as its own
// failure, or not at all).
[[noreturn]] void RefuseOverMemoryLimit() {
    const LimitState& state = ChildLimitState();
    FixedText text;
    text << "the import exceeded its memory limit of " << UnitsFor(state.memoryBytes, kMiB) << " MiB";
    SendRefusal(state.pipeFd, text.View());
    _exit(1);
}

// SIGXCPU's handler.
void RefuseOverTimeLimit(int) {
    const LimitState& state = ChildLimitState();
    FixedText text;
    text << "the import exceeded its time limit of " << state.cpuSeconds << " s of processor time";
    SendRefusal(state.pipeFd, text.View());
    _exit(1);
}

bool SetSoftLimit(int resource, std::uint64_t value) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || value > limit.rlim_max) return false;
    limit.rlim_cur = value;
    return setrlimit(resource, &limit) == 0;
}

// The address space the child may reach: what it inherited and the memory limit.
std::uint64_t AddressSpaceLimit(const LimitState& state) {
    return state.inheritedBytes + std::min(state.memoryBytes, UINT64_MAX - state.inheritedBytes);
}

// Sets the child's limits, and the handlers that refuse the import when it
// hits them. No core file either: a crash of a process this large would
// write one of gigabytes.
void ApplyLimits(int pipeFd, const ChildLimits& limits) {
    LimitState& state = ChildLimitState();
    state.pipeFd = pipeFd;
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    struct sigaction onLimit {};
    onLimit.sa_handler = RefuseOverTimeLimit;
    if (limits.cpuSeconds != 0 && sigaction(SIGXCPU, &onLimit, nullptr) == 0 &&
        SetSoftLimit(RLIMIT_CPU, limits.cpuSeconds))
        state.cpuSeconds = limits.cpuSeconds;
    const std::optional<std::uint64_t> inherited = AddressSpaceBytes();
    if (kAddressSanitizer || limits.memoryBytes == 0 || !inherited) return;
    state.inheritedBytes = *inherited;
    state.memoryBytes = limits.memoryBytes;
    if (SetSoftLimit(RLIMIT_AS, AddressSpaceLimit(state)))
        std::set_new_handler(RefuseOverMemoryLimit);
    else
        state.memoryBytes = 0;
}

[[noreturn]] void RunChild(int pipeFd, int sharedFd, pid_t parent, const ChildImport& import, bool reportProgress,
                           const ChildLimits& limits) {
    DetachFromParent(pipeFd, sharedFd, parent);
    ApplyLimits(pipeFd, limits);
    bool sent = false;
    try {
        std::uint64_t lastDone = UINT64_MAX;
        const LoadProgress report = [&](std::uint64_t done, std::uint64_t) {
            if (done != lastDone && !SendProgress(pipeFd, done)) _exit(1);  // the parent is gone
            lastDone = done;
            return true;  // the parent cancels by killing this process
        };
        Mesh mesh;
        const LoadResult result = import(mesh, reportProgress ? report : LoadProgress{});
        sent = result ? SendWarnings(pipeFd, result.warnings) && SendLook(pipeFd, mesh) &&
                            SendModel(pipeFd, sharedFd, mesh)
                      : SendRefusal(pipeFd, result.reason.empty() ? "the import gave no reason" : result.reason);
    } catch (const std::exception& e) {
        sent = SendRefusal(pipeFd, std::string("the import failed: ") + e.what());
    } catch (...) {
        sent = SendRefusal(pipeFd, "the import failed");
    }
    _exit(sent ? 0 : 1);
}

// ---- the parent ----

// The child, killed and reaped unless it was reaped already.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() { Stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // True once the child has ended (and is reaped).
    bool Ended() { return reaped_ || Wait(WNOHANG); }
    // Kills the child unless it has ended, and reaps it.
    void Stop() {
        if (reaped_) return;
        kill(pid_, SIGKILL);
        Wait(0);
    }
    // Waits for the end of a child that closed its pipe; the reason it gave no result.
    std::string WhyNoResult(const ChildLimits& limits) {
        if (!reaped_) Wait(0);
        if (!reaped_) return "the import process was lost";
        if (WIFSIGNALED(status_)) {
            const int sig = WTERMSIG(status_);
            // The child's own handler refuses first; this is for one that could not.
            if (sig == SIGXCPU && limits.cpuSeconds != 0)
                return "the import exceeded its time limit of " + std::to_string(limits.cpuSeconds) +
                       " s of processor time";
            const char* name = sigabbrev_np(sig);
            return "the import library stopped on this file (signal " + std::to_string(sig) +
                   (name ? std::string(", SIG") + name : std::string()) + ")";
        }
        return "the import process ended without a result (exit status " + std::to_string(WEXITSTATUS(status_)) + ")";
    }

private:
    bool Wait(int options) {
        pid_t r;
        do r = waitpid(pid_, &status_, options);
        while (r < 0 && errno == EINTR);
        // ECHILD: someone else reaped it (SIGCHLD ignored); it has ended either way.
        if (r == pid_ || (r < 0 && errno == ECHILD)) reaped_ = true;
        return reaped_;
    }

    pid_t pid_;
    int status_ = 0;
    bool reaped_ = false;
};

// Collects the records of the stream; bytes are read straight into place.
class RecordReader {
public:
    enum class Step { More, Complete, Bad };

    std::span<std::uint8_t> Space() {
        if (headerGot_ < header_.size()) return std::span(header_).subspan(headerGot_);
        return payload_.span().subspan(payloadGot_);
    }

    // Takes the count of bytes just read into Space().
    Step Took(std::size_t count) {
        if (headerGot_ < header_.size()) {
            headerGot_ += count;
            if (headerGot_ < header_.size()) return Step::More;
            return StartPayload();
        }
        payloadGot_ += count;
        return payloadGot_ < payload_.size() ? Step::More : Step::Complete;
    }

    Record kind() const { return kind_; }
    std::span<const std::uint8_t> payload() const { return payload_.span(); }
    const std::string& problem() const { return problem_; }
    void Next() { headerGot_ = payloadGot_ = 0; }

private:
    Step StartPayload() {
        kind_ = static_cast<Record>(header_[0]);
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, header_.data() + 1, 8);
        const bool fits = (kind_ == Record::Progress && bytes == kProgressBytes) ||
                          ((kind_ == Record::Refusal || kind_ == Record::Warning) && bytes <= kMaxReasonBytes) ||
                          ((kind_ == Record::Model || kind_ == Record::Look) && bytes <= kMaxModelBytes &&
                           FitsInPhysicalMemory(bytes)) ||
                          (kind_ == Record::SharedModel && bytes >= 4 + kBinHeaderBytes &&
                           bytes <= 4 + kMaxPathBytes + kBinHeaderBytes);
        if (!fits) {
            problem_ = "the import process sent a record of kind " + std::to_string(header_[0]) + " with " +
                       std::to_string(bytes) + " bytes";
            return Step::Bad;
        }
        if (!payload_.Allocate(static_cast<std::size_t>(bytes))) {
            problem_ = "not enough memory for the " + std::to_string(bytes) + " bytes of the model";
            return Step::Bad;
        }
        payloadGot_ = 0;
        return bytes == 0 ? Step::Complete : Step::More;
    }

    std::array<std::uint8_t, kRecordHeaderBytes> header_{};
    std::size_t headerGot_ = 0;
    Record kind_ = Record::Progress;
    ZeroedArray<std::uint8_t> payload_;
    std::size_t payloadGot_ = 0;
    std::string problem_;
};

// The own texture's path at the start of a model record, and the rest; no
// value when the sizes don't fit.
std::optional<std::pair<std::string, std::span<const std::uint8_t>>> SplitModelRecord(
    std::span<const std::uint8_t> payload) {
    std::uint32_t pathBytes = 0;
    if (payload.size() >= 4) std::memcpy(&pathBytes, payload.data(), 4);
    if (payload.size() < 4 || pathBytes > kMaxPathBytes || pathBytes > payload.size() - 4) return std::nullopt;
    return std::pair{std::string(reinterpret_cast<const char*>(payload.data() + 4), pathBytes),
                     payload.subspan(4 + pathBytes)};
}

// The texture and make-up of a model whose arrays are valid.
LoadResult FinishModel(Mesh& mesh, std::string path, std::span<const std::uint8_t> look, Mesh& out) {
    if (mesh.numTextures > 1 || (mesh.numTextures == 1) == path.empty() || path.find('\0') != std::string::npos)
        return LoadResult::Failure("the import process sent an inconsistent model");
    mesh.texturePath = std::move(path);
    if (!look.empty())
        if (LoadResult result = ParseLook(look, mesh); !result)
            return LoadResult::Failure("the import process sent an invalid model: " + result.reason);
    out = std::move(mesh);
    return LoadResult::Success();
}

// The model record, checked as a BIN file from disk would be.
LoadResult AcceptModel(std::span<const std::uint8_t> payload, std::span<const std::uint8_t> look, Mesh& out) {
    auto split = SplitModelRecord(payload);
    if (!split) return LoadResult::Failure("the import process sent a malformed model");
    auto& [path, bin] = *split;
    Mesh mesh;
    if (LoadResult result = ParseBIN(bin, mesh); !result)
        return LoadResult::Failure("the import process sent an invalid model: " + result.reason);
    if (BinFileBytes({mesh.numVerts, mesh.numFaces, mesh.numTextures}) != bin.size())
        return LoadResult::Failure("the import process sent an inconsistent model");
    return FinishModel(mesh, std::move(path), look, out);
}

// The shared model record: the header here, the arrays in the memory file,
// checked in place.
LoadResult AcceptSharedModel(std::span<const std::uint8_t> payload, std::span<const std::uint8_t> look, int sharedFd,
                             Mesh& out) {
    auto split = SplitModelRecord(payload);
    if (!split || split->second.size() != kBinHeaderBytes)
        return LoadResult::Failure("the import process sent a malformed model");
    BinHeader header;
    std::memcpy(&header, split->second.data(), kBinHeaderBytes);
    if (std::string why = CheckBinHeader(header, BinFileBytes(header)); !why.empty())
        return LoadResult::Failure("the import process sent an invalid model: " + why);
    Mesh mesh;
    if (std::string why = TakeSharedArrays(sharedFd, header, mesh); !why.empty()) return LoadResult::Failure(why);
    mesh.numVerts = header.numVerts;
    mesh.numFaces = header.numFaces;
    mesh.numTextures = header.numTextures;
    return FinishModel(mesh, std::move(split->first), look, out);
}

LoadResult Cancelled() { return {false, true, "loading was cancelled"}; }

LoadResult SystemFailure(const char* what) {
    return LoadResult::Failure(std::string(what) + ": " + std::strerror(errno));
}

}  // namespace

ChildLimits ChildLimitsFor(std::uint64_t inputBytes) {
    const std::uint64_t memory = std::max(kLeastMemoryBytes, SaturatingProduct(inputBytes, kMemoryPerInputByte));
    return {std::min(memory, PhysicalMemoryBytes()), kLeastCpuSeconds + CpuSecondsFor(inputBytes)};
}

void AllowMoreChildInput(std::uint64_t moreBytes) {
    LimitState& state = ChildLimitState();
    if (state.memoryBytes != 0) {
        const std::uint64_t more = SaturatingProduct(moreBytes, kMemoryPerInputByte);
        const std::uint64_t most = std::max(state.memoryBytes, PhysicalMemoryBytes());
        const std::uint64_t raised = std::min(most, state.memoryBytes + std::min(more, UINT64_MAX - state.memoryBytes));
        const std::uint64_t previous = std::exchange(state.memoryBytes, raised);
        if (!SetSoftLimit(RLIMIT_AS, AddressSpaceLimit(state))) state.memoryBytes = previous;
    }
    if (state.cpuSeconds != 0) {
        const std::uint64_t previous = std::exchange(state.cpuSeconds, state.cpuSeconds + CpuSecondsFor(moreBytes));
        if (!SetSoftLimit(RLIMIT_CPU, state.cpuSeconds)) state.cpuSeconds = previous;
    }
}

LoadResult ImportInChildProcess(const ChildImport& import, std::uint64_t totalBytes, Mesh& out,
                                const LoadProgress& progress, const ChildLimits& limits) {
    std::array<int, 2> ends{};
    if (pipe2(ends.data(), O_CLOEXEC) != 0) return SystemFailure("cannot start the import process");
    FileDescriptor readEnd(ends[0]), writeEnd(ends[1]);
    fcntl(writeEnd.get(), F_SETPIPE_SZ, kPipeBytes);  // only a speed-up: may fail under a user's pipe limit
    // Where it can't be made, the model comes through the pipe.
    const FileDescriptor shared(CreateSharedArraysFile());

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) return SystemFailure("cannot start the import process");
    if (pid == 0) RunChild(writeEnd.get(), shared.get(), parent, import, static_cast<bool>(progress), limits);
    writeEnd.Close();  // so that the child's end closing ends the stream
    Child child(pid);

    std::uint64_t done = 0;
    std::vector<std::string> warnings;
    std::vector<std::uint8_t> look;
    RecordReader reader;
    for (;;) {
        pollfd wait{readEnd.get(), POLLIN, 0};
        const int ready = poll(&wait, 1, kPollMilliseconds);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return SystemFailure("cannot wait for the import process");
        if (ready == 0) {
            if (progress && !progress(done, totalBytes)) return Cancelled();
            // Quiet and ended: another process forked meanwhile may hold a
            // copy of the pipe, so the end of the stream can't be relied on.
            if (child.Ended()) break;
            continue;
        }
        const std::span<std::uint8_t> space = reader.Space();
        const ssize_t got = read(readEnd.get(), space.data(), space.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) return SystemFailure("cannot read from the import process");
        if (got == 0) break;
        const RecordReader::Step step = reader.Took(static_cast<std::size_t>(got));
        if (step == RecordReader::Step::Bad) return LoadResult::Failure(reader.problem());
        if (step == RecordReader::Step::More) continue;

        const std::span<const std::uint8_t> payload = reader.payload();
        switch (reader.kind()) {
        case Record::Progress:
            std::memcpy(&done, payload.data(), 8);
            done = std::min(done, totalBytes);
            if (progress && !progress(done, totalBytes)) return Cancelled();
            reader.Next();
            break;
        case Record::Refusal:
            if (payload.empty()) return LoadResult::Failure("the import gave no reason");
            return LoadResult::Failure(std::string(reinterpret_cast<const char*>(payload.data()), payload.size()));
        case Record::Warning:  // bounded: a hostile file may name many references
            if (warnings.size() < kMaxWarnings)
                warnings.emplace_back(reinterpret_cast<const char*>(payload.data()), payload.size());
            reader.Next();
            break;
        case Record::Look:  // kept until its model comes
            look.assign(payload.begin(), payload.end());
            reader.Next();
            break;
        case Record::Model:
        case Record::SharedModel: {
            // It has nothing more to say: ended, it can't touch the memory file while it is checked.
            child.Stop();
            LoadResult result = reader.kind() == Record::Model ? AcceptModel(payload, look, out)
                                : shared.valid() ? AcceptSharedModel(payload, look, shared.get(), out)
                                                 : LoadResult::Failure("the import process sent a model it could not have");
            if (result) result.warnings = std::move(warnings);
            return result;
        }
        }
    }
    return LoadResult::Failure(child.WhyNoResult(limits));
}
