// What every reader returns and what it calls back during a read: the one
// calling shape of the model readers, whatever the format.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class Mesh;

// The outcome of a model read: ok, or the reason the file was refused.
struct LoadResult {
    bool ok = true;
    bool cancelled = false;  // the progress callback asked to stop
    std::string reason;      // empty when ok

    static LoadResult Success() { return {}; }
    static LoadResult Failure(std::string why) { return {false, false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

// Called now and then during a load with the bytes read so far and the
// file's size; returning false cancels the load.
using LoadProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Called for each own texture a file names, once its path is stored in
// texturePath (it uploads it, checks the file, or does nothing).
using TextureHook = std::function<void(Mesh&)>;
