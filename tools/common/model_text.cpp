#include "model_text.h"

#include <array>
#include <charconv>

namespace {

constexpr int kDigits = 6;

}  // namespace

void AppendReal(std::string& out, float v) {
    if (v == 0.0f) {
        v = 0.0f;  // drops the sign of a negative zero
    }
    std::array<char, 32> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), v, std::chars_format::general, kDigits);
    out.append(buffer.data(), result.ptr);
}

float RoundAsText(float v) {
    std::string text;
    AppendReal(text, v);
    float back = 0.0f;
    std::from_chars(text.data(), text.data() + text.size(), back);
    return back;
}
