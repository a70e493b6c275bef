// A model import run in a process of its own (fork, no exec), so that a
// library that aborts or crashes on a bad file costs only that process.
// The child runs the import and sends progress, a refusal with its reason or
// the model (the BIN layout and the own texture's path) through a pipe, then
// ends with _exit: it never returns, runs no atexit handlers and flushes no
// stdio. Its signal handlers are reset first, so that handlers the caller
// installed (a sanitizer's, a fuzzer's) don't act in it. The parent trusts
// nothing it receives: sizes are checked against the mesh limits before
// anything is allocated, and the model is validated as a BIN file is.
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

// Runs import in a child process and moves the model it sends into out,
// which is only written when that model is valid. progress sees the bytes
// the child reports done of totalBytes, and is also asked every
// tenth of a second while the child is quiet, so that a cancel is honoured
// at any time: the child is then killed (result.cancelled). A child that
// dies by a signal or ends without a result is refused with a reason. No
// child is left behind, running or unreaped, whatever happens.
LoadResult ImportInChildProcess(const ChildImport& import, std::uint64_t totalBytes, Mesh& out,
                                const LoadProgress& progress = {});
