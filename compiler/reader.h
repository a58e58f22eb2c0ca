// The field reader: one source text as a stream of fields, with the line and
// column of every field it hands out.
//
// - Blanks are space and tab. A line ends at CR LF or a lone LF.
// - A text field skips leading blanks, runs to the next comma or line end
//   (consumed) and drops trailing blanks.
// - A number skips leading blanks, is an optional sign and one or more digits
//   ending at a comma, a blank, a line end or the end of the text; then blanks
//   are skipped and one comma or one line end is consumed if it comes next.
// - Anything else, a value its target cannot hold, or a read past the end of
//   the text throws ReadFailure.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace compactor {

class ReadFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a field starts: 1-based line, 0-based column, and the line's start.
struct TextPlace {
  int line = 1;
  int column = 0;
  size_t line_start = 0;
};

class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // True once the last field and its line end have been consumed.
  bool at_end() const { return pos_ >= text_.size(); }

  std::string read_text();
  int32_t read_i32();
  int16_t read_i16();
  uint8_t read_u8();

  // Where the field read last began.
  const TextPlace& last_field() const { return last_field_; }

  // The text of the line that starts at `line_start`, without its end.
  std::string_view line_at(size_t line_start) const;

  // The fields of the current row: begin_row() starts a row, and every field
  // read after it (the key first) is recorded with its place.
  void begin_row() { row_.clear(); }
  const std::vector<TextPlace>& row_fields() const { return row_; }

  // True when the next read starts a line (nothing of the current line is left).
  bool at_line_start() const { return pos_ == line_start_; }
  // What is left of the current line, without its end.
  std::string_view rest_of_line() const;
  // Drops what is left of the current line, its end included.
  void skip_line();

 private:
  int64_t read_number(int64_t min, int64_t max, const char* target);
  void skip_blanks();
  // Consumes a line end at pos_ if there is one.
  bool consume_line_end();
  void mark_field_start();

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  size_t line_start_ = 0;
  TextPlace last_field_;
  std::vector<TextPlace> row_;
};

}  // namespace compactor
