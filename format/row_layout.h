// The rows of the two source formats: each row key, the names of its values
// and the column layout the built-in sources write it in; and the reading of
// one source line as such a row. Pure functions of text, no dependencies.
//
// A line is taken as a row only when its shape is plain: blanks, a key spelled
// exactly as the built-in sources spell it, a comma, then exactly the key's
// values (whole numbers, optionally signed), each ended by a comma or the line
// end, and for the keys that end in a text (direction boards, stations) a
// last text holding no comma. The clock row holds its three numbers apart by
// blanks only. Anything else (comment fields, other spellings, missing or
// extra values, rows that go on over the line end, a carriage return inside
// the line) is not a row here.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace compactor::format {

// Which source a row belongs to.
enum class SourceKind { kLine, kService };

struct Column {
  std::string_view name;    // as the rows are documented: posizione, sx, s1, ...
  std::string_view before;  // what separates it from the value before: ", " etc.
  int width = 0;            // right-aligned in this many columns after `before`; 0: unpadded
  bool position = false;    // a position along the line, in metres
  bool text = false;        // a text field running to the line end
  bool blank_separated = false;  // at least one blank before it (the clock row)
};

struct RowShape {
  std::string_view key;          // the exact key ("curva" stands for curvas1 .. curvad6)
  SourceKind source;
  bool general = false;          // a row of the "[generale]" section
  std::string_view summary;      // what the row gives, in a few words
  std::vector<Column> columns;
  std::string_view trailer;      // written after the last value (the clock's blank)
  std::string_view example;      // a row of the built-in sources, as written
};

// Every row shape, in the order the sources list them.
std::span<const RowShape> row_shapes();

// The shape a key names exactly, or null.
const RowShape* shape_for_key(std::string_view key);

// One value of a row as it stands in the line: its text and byte columns.
struct Field {
  std::string text;
  size_t begin = 0;
  size_t end = 0;
};

struct Row {
  const RowShape* shape = nullptr;
  Field key;
  std::vector<Field> values;  // one per column of the shape
};

// Reads one line (without its line end) as a row.
std::optional<Row> parse_row(std::string_view line);

// The row written in its shape's column layout.
std::string layout_row(const Row& row);

}  // namespace compactor::format
