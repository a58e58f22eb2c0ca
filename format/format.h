// The formatter: a source text laid out in the column layout of the built-in
// sources, row by row. Depends on nothing outside format/.
//
// It promises that the compiler reads the formatted text field for field as
// it reads the original: only the blanks around the commas of plain rows
// change (see format/row_layout.h for what a plain row is), and every other
// line, every line end and every byte of every field stay as they are. So the
// formatted sources compile to the same bytes, the same error code and
// position and the same diagnostics on the same lines; and formatting twice
// gives the text of formatting once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace compactor::format {

// One line of a text: its content and its line end ("\r\n", "\n", or empty
// for a last line without one). A lone carriage return is content.
struct SourceLine {
  std::string_view text;
  std::string_view end;
};

std::vector<SourceLine> split_lines(std::string_view text);

// The line laid out, or the line itself when it is not a plain row.
std::string format_line(std::string_view line);

// A line that formatting changes: its 0-based number and its new content.
struct LineEdit {
  size_t line = 0;
  std::string text;
};

std::vector<LineEdit> format_edits(std::string_view text);

std::string format_source(std::string_view text);

}  // namespace compactor::format
