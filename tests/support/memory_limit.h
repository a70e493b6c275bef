// Pins the memory the loaders take the machine to have, so that what is
// refused as too large does not depend on the host.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <optional>
#include <string>

class ScopedMemoryLimit {
public:
    static constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

    explicit ScopedMemoryLimit(std::uint64_t bytes) {
        if (const char* old = getenv(kName)) previous_ = old;
        setenv(kName, std::to_string(bytes).c_str(), 1);
    }
    ~ScopedMemoryLimit() {
        if (previous_)
            setenv(kName, previous_->c_str(), 1);
        else
            unsetenv(kName);
    }
    ScopedMemoryLimit(const ScopedMemoryLimit&) = delete;
    ScopedMemoryLimit& operator=(const ScopedMemoryLimit&) = delete;

private:
    static constexpr const char* kName = "TESSA_MEMORY_LIMIT_BYTES";
    std::optional<std::string> previous_;
};
