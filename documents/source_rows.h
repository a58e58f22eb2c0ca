// Test support: the rows of a built-in source description with a given key,
// split into their comma-separated values.
#pragma once

#include <string>
#include <vector>

#include "driver/row_table.h"

namespace compactor::testing {

inline std::string trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The values after the key of every row whose key is `key`, in file order,
// each without its padding.
inline std::vector<std::vector<std::string>> rows_with_key(const RowTable& rows, const std::string& key) {
  std::vector<std::vector<std::string>> out;
  for (const std::string& row : rows) {
    if (row == kEndMarker) break;
    const size_t comma = row.find(',');
    if (comma == std::string::npos || row.substr(0, comma) != key) continue;
    std::vector<std::string> values;
    size_t start = comma + 1;
    while (true) {
      const size_t next = row.find(',', start);
      values.push_back(trimmed(row.substr(start, next == std::string::npos ? std::string::npos : next - start)));
      if (next == std::string::npos) break;
      start = next + 1;
    }
    out.push_back(std::move(values));
  }
  return out;
}

// "117.500" for the position 6500: the line's kilometre posts read 111.000 at
// position 0.
inline std::string kilometre_of(int position) {
  const int metres = 111000 + position;
  std::string frac = std::to_string(metres % 1000);
  return std::to_string(metres / 1000) + "." + std::string(3 - frac.size(), '0') + frac;
}

}  // namespace compactor::testing
