#include "model/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

// Skips leading white space and a sign; returns whether the sign was '-'.
bool TakeSign(std::string_view& text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    text.remove_prefix(i);
    return negative;
}

}  // namespace

std::int64_t ReadInteger(std::string_view text) {
    const bool negative = TakeSign(text);
    // A second sign is not a number (from_chars alone would take "-").
    if (text.empty() || text[0] < '0' || text[0] > '9') return 0;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    (void)end;
    constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();
    if (error == std::errc::result_out_of_range || magnitude > kMax + (negative ? 1 : 0))
        return negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
    return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
}

float ReadReal(std::string_view text) {
    const bool negative = TakeSign(text);
    if (text.empty() || text[0] == '+' || text[0] == '-') return negative ? -0.0f : 0.0f;
    double value = 0.0;
    const char* first = text.data();
    const auto [end, error] = std::from_chars(first, first + text.size(), value, std::chars_format::general);
    if (error == std::errc::invalid_argument) return negative ? -0.0f : 0.0f;
    if (error == std::errc::result_out_of_range) {
        // Out of double's range: an exponent with a minus sign made it too
        // small, anything else too large.
        bool tiny = false;
        for (const char* p = first; p + 1 < end; ++p)
            if ((*p == 'e' || *p == 'E') && p[1] == '-') tiny = true;
        value = tiny ? 0.0 : HUGE_VAL;
    }
    const auto result = static_cast<float>(value);
    return negative ? -result : result;
}
