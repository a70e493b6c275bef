#include "formats/xml/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips leading white space and a sign; returns whether the sign was '-'.
[[gnu::always_inline]] inline bool TakeSign(std::string_view& text) {
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
    // Up to 18 digits cannot overflow: the common case, without from_chars.
    std::uint64_t magnitude = 0;
    std::size_t i = 0;
    for (; i < text.size() && i < 18 && IsDigit(text[i]); ++i) magnitude = magnitude * 10 + (text[i] - '0');
    if (i == 18 && i < text.size() && IsDigit(text[i])) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
        (void)end;
        constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();
        if (error == std::errc::result_out_of_range || magnitude > kMax + (negative ? 1 : 0))
            return negative ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
    }
    return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
}

namespace {

// Numbers with more digits than this, or a power of ten beyond the exact
// ones, go the slow way.
constexpr std::size_t kFastDigits = 15;
constexpr int kExactPowers = 22;
constexpr double kPowersOfTen[kExactPowers + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Nothing when the text holds no number (then even "-" gives +0, as in atof).
std::optional<double> ReadRealSlowly(std::string_view text) {
    if (text.empty() || text[0] == '+' || text[0] == '-') return std::nullopt;
    double value = 0.0;
    const char* first = text.data();
    const auto [end, error] = std::from_chars(first, first + text.size(), value, std::chars_format::general);
    if (error == std::errc::invalid_argument) return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Out of double's range: an exponent with a minus sign made it too
        // small, anything else too large.
        bool tiny = false;
        for (const char* p = first; p + 1 < end; ++p)
            if ((*p == 'e' || *p == 'E') && p[1] == '-') tiny = true;
        return tiny ? 0.0 : HUGE_VAL;
    }
    return value;
}

}  // namespace

float ReadReal(std::string_view text) {
    const bool negative = TakeSign(text);
    // Few digits and a small power of ten: the digits as an integer below
    // 2^53 and the power are exact doubles, so one multiplication or
    // division rounds correctly and the result equals from_chars' to the bit.
    const char* p = text.data();
    const char* const end = p + text.size();
    std::uint64_t digits = 0;
    const char* const first = p;
    while (p != end && IsDigit(*p)) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
    std::size_t count = static_cast<std::size_t>(p - first);
    int fraction = 0;
    if (p != end && *p == '.') {
        const char* const point = ++p;
        while (p != end && IsDigit(*p)) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
        fraction = static_cast<int>(p - point);
        count += static_cast<std::size_t>(fraction);
    }
    int exponent = 0;
    bool fast = count != 0 && count <= kFastDigits;
    if (fast && p != end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool exponentNegative = false;
        if (q != end && (*q == '+' || *q == '-')) exponentNegative = *q++ == '-';
        const char* const exponentDigits = q;
        // An "e" without digits is not part of the number.
        while (q != end && IsDigit(*q) && q - exponentDigits < 4) exponent = exponent * 10 + (*q++ - '0');
        if (q != end && IsDigit(*q)) fast = false;  // a long exponent
        if (exponentNegative) exponent = -exponent;
    }
    const int power = exponent - fraction;
    double value = 0.0;
    if (fast && power >= -kExactPowers && power <= kExactPowers) {
        value = power < 0 ? static_cast<double>(digits) / kPowersOfTen[-power]
                          : static_cast<double>(digits) * kPowersOfTen[power];
    } else {
        const std::optional<double> slow = ReadRealSlowly(text);
        if (!slow) return 0.0f;
        value = *slow;
    }
    const auto result = static_cast<float>(value);
    return negative ? -result : result;
}
