#include "circle.h"

#include <utility>

namespace {

constexpr double kHalfPi = 1.5707963267948966;

// Taylor series for |a| <= pi/4: the 19th-order term is below 1e-18.
CosSin SmallAngle(double a) {
    const double a2 = a * a;
    double s = 0.0;
    double c = 0.0;
    double sinTerm = a;
    double cosTerm = 1.0;
    for (int i = 0; i < 10; ++i) {
        s += sinTerm;
        c += cosTerm;
        const double n = 2.0 * i;
        sinTerm = -sinTerm * a2 / ((n + 2.0) * (n + 3.0));
        cosTerm = -cosTerm * a2 / ((n + 1.0) * (n + 2.0));
    }
    return {c, s};
}

}  // namespace

CosSin UnitCircle(std::int64_t k, std::int64_t n) {
    k %= n;
    if (k < 0) {
        k += n;
    }
    // 2*pi*k/n = quadrant * pi/2 + (pi/2) * rest/n.
    const std::int64_t quadrant = 4 * k / n;
    const std::int64_t rest = 4 * k - quadrant * n;
    const bool upperHalf = 2 * rest > n;  // use the complement angle, below pi/4
    const std::int64_t steps = upperHalf ? n - rest : rest;
    CosSin r = SmallAngle(kHalfPi * static_cast<double>(steps) / static_cast<double>(n));
    if (upperHalf) {
        std::swap(r.c, r.s);
    }
    switch (quadrant) {
    case 1: return {-r.s, r.c};
    case 2: return {-r.c, -r.s};
    case 3: return {r.s, -r.c};
    default: return r;
    }
}
