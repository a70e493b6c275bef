// What every image reader returns, whether it read a file (Read...) or bytes
// in memory (Parse...): the value, and why it was refused. A reader never
// tells the user anything; whoever called it decides what to show.
#pragma once

#include <string>
#include <utility>

template <class T>
struct ReadResult {
    // Read whole on success. On a refusal each reader says what is left
    // (at most the sizes from the header; never pixels).
    T value{};
    // Empty on success; otherwise a short reason, never empty.
    std::string reason;

    static ReadResult Success(T value) { return {std::move(value), {}}; }
    static ReadResult Failure(std::string why, T partial = {}) { return {std::move(partial), std::move(why)}; }
    explicit operator bool() const { return reason.empty(); }
};
