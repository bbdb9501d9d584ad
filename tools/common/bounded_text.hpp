// Copies into the tools' fixed-size text fields: always terminated, cut to
// the field, never written past it.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace tools {

template <size_t N>
void copy_text(char (&field)[N], std::string_view text) {
    const size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// The text without leading and trailing blanks (spaces, tabs, line ends).
inline std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace tools
