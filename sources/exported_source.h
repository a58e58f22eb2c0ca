// Test support: a built-in source as its writer puts it in a file, read back
// and split into sections (the rows under each header, headers in file order).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "driver/files.h"
#include "driver/scratch_dir.h"
#include "model/scenario.h"

namespace compactor::testing {

using SourceWriter = void (*)(const std::string& dir, const Names& names);

// The bytes `writer` puts in `file`, written into a scratch directory.
inline std::string exported_bytes(SourceWriter writer, const std::string& file) {
  const std::filesystem::path dir = scratch_dir("export");
  writer(dir.string(), Names{});
  std::string bytes = read_file((dir / file).string());
  std::filesystem::remove_all(dir);
  return bytes;
}

using Sections = std::vector<std::pair<std::string, std::vector<std::string>>>;

inline Sections split_sections(const std::vector<std::string>& lines) {
  Sections out;
  for (const std::string& line : lines) {
    if (!line.empty() && line.front() == '[') {
      out.push_back({line, {}});
    } else if (!out.empty()) {
      out.back().second.push_back(line);
    } else {
      ADD_FAILURE() << "row before the first header: " << line;
    }
  }
  return out;
}

inline std::vector<std::string> section_rows(const Sections& sections, const std::string& header) {
  for (const auto& [h, rows] : sections) {
    if (h == header) return rows;
  }
  ADD_FAILURE() << "no section " << header;
  return {};
}

}  // namespace compactor::testing
