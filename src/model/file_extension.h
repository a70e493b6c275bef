// The extension of a file name, for choosing a format by it in any letter case.
#pragma once

#include <string>
#include <string_view>

// What follows the last dot of the file name, in lower case, without the
// dot; empty when the name has none ("dir.d/model" has none).
inline std::string LowerExtension(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return {};
    std::string ext(name.substr(dot + 1));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}
