// A model import run in a process of its own (fork, no exec), so that a
// library that aborts or crashes on a bad file costs only that process.
// The child runs the import and sends progress, a refusal with its reason or
// the model (its counts and the own texture's path) through a pipe, the
// model's arrays in a sealed memory file the parent maps (shared_model.h;
// through the pipe too where that file can't be made), then ends with _exit: it never returns, runs no atexit handlers and flushes no
// stdio. Its signal handlers are reset first, so that handlers the caller
// installed (a sanitizer's, a fuzzer's) don't act in it. The parent trusts
// nothing it receives: sizes are checked against the mesh limits before
// anything is allocated, the memory file's seals and size are checked before
// it is mapped, and the model is validated as a BIN file is.
// The caller may have other threads: the child only imports and writes to the
// pipe, but a lock another thread held at the fork stays held in the child,
// so the import must not depend on such locks (the allocator's are reset).
#pragma once

#include <cstdint>
#include <functional>

#include "mesh/mesh.h"

// The import the child runs, into a fresh mesh; what it gives progress is
// passed on to the parent.
using ChildImport = std::function<LoadResult(Mesh& out, const LoadProgress& progress)>;

// What the child may use, so that a file that makes a library allocate or
// compute without end costs a refusal rather than the machine: its address
// space may grow by memoryBytes beyond what it inherits at the fork, and it
// may take cpuSeconds of processor time; 0 leaves either unlimited. Hitting
// either refuses the import with a reason that names the limit. Builds with
// AddressSanitizer get no memory limit: its allocator reports a failed
// allocation and ends the process instead of letting the program handle it.
struct ChildLimits {
    std::uint64_t memoryBytes = 0;
    std::uint64_t cpuSeconds = 0;
};

// Limits in proportion to inputBytes, the size of what the import reads:
// memory 64 times as much, at least 256 MiB and at most the machine's memory
// (mesh_limits.h); processor time 10 seconds and one more for each MiB begun.
ChildLimits ChildLimitsFor(std::uint64_t inputBytes);

// In the child, for an input the import finds it must read besides the one
// its limits were set for (a file another file refers to): raises both
// limits by what ChildLimitsFor gives per byte, for moreBytes. Elsewhere, and
// for a limit that was not set, it does nothing.
void AllowMoreChildInput(std::uint64_t moreBytes);

// Runs import in a child process and moves the model it sends into out,
// which is only written when that model is valid. progress sees the bytes
// the child reports done of totalBytes, and is also asked every
// tenth of a second while the child is quiet, so that a cancel is honoured
// at any time: the child is then killed (result.cancelled). A child that
// dies by a signal, ends without a result or exceeds its limits is refused
// with a reason. No child is left behind, running or unreaped, whatever
// happens.
LoadResult ImportInChildProcess(const ChildImport& import, std::uint64_t totalBytes, Mesh& out,
                                const LoadProgress& progress = {}, const ChildLimits& limits = {});
