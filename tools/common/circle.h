// Points on the unit circle at exact fractions of a turn, computed with
// integer range reduction and a fixed Taylor series, so the generated assets
// come out bit for bit the same whatever libm or optimisation level is used.
#pragma once

#include <cstdint>

struct CosSin {
    double c;
    double s;
};

// cos and sin of 2*pi*k/n; n > 0, any k.
CosSin UnitCircle(std::int64_t k, std::int64_t n);
