// What every reader and writer returns, and what a reader calls back during
// a read: the one calling shape of the model readers and writers, whatever
// the format. A reader or writer says why it failed in its result; telling
// the user is the caller's (a MessageSink, a message on standard error).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

class Mesh;

// The outcome of a model read: ok, or the reason the file was refused.
struct LoadResult {
    bool ok = true;
    bool cancelled = false;  // the progress callback asked to stop
    std::string reason;      // empty when ok
    // What was left out of a model that loaded (a reference not read), one
    // line each, for the user.
    std::vector<std::string> warnings = {};

    static LoadResult Success() { return {}; }
    static LoadResult Failure(std::string why) { return {false, false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

// The outcome of a model write: ok, or why the file could not be written.
struct WriteResult {
    bool ok = true;
    std::string reason;  // empty when ok

    static WriteResult Success() { return {}; }
    static WriteResult Failure(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

// Receives a file's bytes in order; false stops the writer.
using BytePut = std::function<bool(std::span<const std::uint8_t>)>;
// How a model's references to other files are read.
struct ReadOptions {
    // A file the model refers to is read only inside the model's own folder
    // tree (after `..` and symbolic links are resolved) unless this is set.
    bool allowOutsideReferences = false;
};

// Called now and then during a load with the bytes read so far and the
// file's size; returning false cancels the load.
using LoadProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Fills into with up to into.size() bytes of the file from offset; returns
// the count filled (less only at the file's end), or nothing on a read error.
using ReadFileAt = std::function<std::optional<std::size_t>(std::uint64_t offset, std::span<std::uint8_t> into)>;

// Called for each own texture a file names, once its path is stored in
// texturePath (it uploads it, checks the file, or does nothing).
using TextureHook = std::function<void(Mesh&)>;
