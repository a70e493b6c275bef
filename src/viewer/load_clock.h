// The time a model's load takes, from its start: what the status bar reports.
#pragma once

#include <chrono>

class LoadClock {
public:
    double Seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
