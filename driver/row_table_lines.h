// Test support: a text file's bytes (a row table as written) split back into
// its lines.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/row_table.h"

namespace compactor::testing {

// The lines of `bytes`, each of which must end in CR LF and hold no other CR
// or LF; a fault is reported as a test failure.
inline std::vector<std::string> split_crlf(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "bytes after the last CR LF: \"" << bytes.substr(start) << "\"";
      break;
    }
    std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray CR or LF in line " << lines.size();
    lines.push_back(std::move(line));
    start = end + 2;
  }
  return lines;
}

// The lines a row table puts in its file.
inline std::vector<std::string> file_lines(const RowTable& rows) { return split_crlf(render_rows(rows)); }

}  // namespace compactor::testing
