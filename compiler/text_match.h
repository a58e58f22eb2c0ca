// Key-field tests: rows and headers are recognised by searching the key field
// for words, most of them case-insensitively.
#pragma once

#include <string>
#include <string_view>

namespace compactor {

inline std::string lower_ascii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

inline bool contains(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

}  // namespace compactor
