// Small text helpers the parts of the engine layer share.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace gxr::engine {

inline std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

inline bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// Copies at most maxLength characters of text and a terminator.
inline void copyBounded(char* dest, std::string_view text, std::size_t maxLength) {
  std::size_t n = std::min(text.size(), maxLength);
  std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

}  // namespace gxr::engine
