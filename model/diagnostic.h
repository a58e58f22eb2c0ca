// One fault found while compiling or checking a scenario: its code, the
// position it concerns (when the code gives one) and, for faults of a source
// row, the file, line and column of the row's key field.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace compactor {

struct Diagnostic {
  int32_t code = 0;
  std::optional<int32_t> position;  // metres along the line
  std::string file;                 // empty when no source row applies
  int line = 0;                     // 1-based; 0 when no source row applies
  int column = 0;                   // 0-based column of the key field
  std::string source_line;          // the text of that line, without its end
  std::string message;
};

// The short description of an error code, as diagnostics print it.
const char* error_message(int32_t code);

}  // namespace compactor
