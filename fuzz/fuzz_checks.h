// What every fuzz target shares: the input as a byte span, and a check that
// stops the run with a message when a reader's result breaks its promises
// (libFuzzer then saves the input like any crash).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

inline std::span<const std::uint8_t> InputBytes(const std::uint8_t* data, std::size_t size) { return {data, size}; }

inline void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
