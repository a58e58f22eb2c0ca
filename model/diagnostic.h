// One fault found while compiling or checking a scenario: its code, the
// position it concerns (when the code gives one) and, for faults of a source
// row, the file and line of the row, the column of the field that caused it,
// and notes that point at the other rows involved.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace compactor {

// A place in a source shown with a diagnostic or a warning: the line's text
// and a caret under one field.
struct Excerpt {
  std::string source_line;  // the line as shown, without its end (long lines cut)
  int caret = 0;            // 0-based byte offset of the caret in source_line
};

// A further place that explains a fault or a warning: the row that holds a
// cell, the previous station, the row whose value a fill stored. A note
// without a line names no place.
struct Note {
  std::string file;
  int line = 0;    // 1-based; 0 when the note names no place
  int column = 0;  // 1-based byte column; 0 when the note names no place
  std::string message;
  Excerpt excerpt;
};

struct Diagnostic {
  int32_t code = 0;
  std::optional<int32_t> position;  // metres along the line
  std::string file;                 // empty when no source row applies
  int line = 0;                     // 1-based line of the row; 0 when no source row applies
  int column = 0;                   // 1-based byte column of the field that caused it; 0: none
  std::string source_line;          // the text of that line, without its end
  int caret = 0;                    // 0-based offset of the caret in source_line
  std::string message;
  std::vector<Note> notes;
};

// The short description of an error code, as diagnostics print it.
const char* error_message(int32_t code);

// Cuts a long line to a window around the byte at `column0` (0-based),
// replaces control characters, and places the caret.
Excerpt make_excerpt(std::string_view line, int column0);

}  // namespace compactor
