#include "compiler/reader.h"

#include <algorithm>

namespace compactor {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A short, printable excerpt of what was found where a value was expected.
std::string excerpt(std::string_view text, size_t pos) {
  std::string out;
  for (size_t i = pos; i < text.size() && out.size() < 20; ++i) {
    const char c = text[i];
    if (c == ',' || c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) break;
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      static const char* hex = "0123456789abcdef";
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

void FieldReader::skip_blanks() {
  while (pos_ < text_.size() && is_blank(text_[pos_])) ++pos_;
}

bool FieldReader::consume_line_end() {
  if (pos_ < text_.size() && text_[pos_] == '\n') {
    ++pos_;
  } else if (pos_ + 1 < text_.size() && text_[pos_] == '\r' && text_[pos_ + 1] == '\n') {
    pos_ += 2;
  } else {
    return false;
  }
  ++line_;
  line_start_ = pos_;
  return true;
}

void FieldReader::mark_field_start() {
  last_field_.line = line_;
  last_field_.line_start = line_start_;
  last_field_.column = static_cast<int>(pos_ - line_start_);
  row_.push_back(last_field_);
}

std::string_view FieldReader::rest_of_line() const {
  size_t end = pos_;
  while (end < text_.size() && text_[end] != '\n' &&
         !(text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n')) {
    ++end;
  }
  return text_.substr(pos_, end - pos_);
}

void FieldReader::skip_line() {
  while (pos_ < text_.size() && !consume_line_end()) ++pos_;
}

std::string FieldReader::read_text() {
  if (at_end()) throw ReadFailure("a field was expected, but the file ends");
  skip_blanks();
  mark_field_start();
  const size_t begin = pos_;
  size_t end = pos_;
  for (;;) {
    if (pos_ >= text_.size()) {
      end = pos_;
      break;
    }
    const char c = text_[pos_];
    if (c == ',') {
      end = pos_;
      ++pos_;
      break;
    }
    end = pos_;
    if (consume_line_end()) break;
    ++pos_;
  }
  while (end > begin && is_blank(text_[end - 1])) --end;
  return std::string(text_.substr(begin, end - begin));
}

int64_t FieldReader::read_number(int64_t min, int64_t max, const char* target) {
  if (at_end()) throw ReadFailure("a number was expected, but the file ends");
  skip_blanks();
  mark_field_start();
  const size_t begin = pos_;
  bool negative = false;
  if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) {
    negative = text_[pos_] == '-';
    ++pos_;
  }
  const size_t digits = pos_;
  int64_t value = 0;
  bool too_large = false;
  while (pos_ < text_.size() && is_digit(text_[pos_])) {
    if (value <= (int64_t{1} << 40)) value = value * 10 + (text_[pos_] - '0');
    else too_large = true;
    ++pos_;
  }
  const bool delimited = pos_ >= text_.size() || text_[pos_] == ',' || is_blank(text_[pos_]) ||
                         text_[pos_] == '\n' ||
                         (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n');
  if (pos_ == digits || !delimited) {
    throw ReadFailure("a number was expected, found \"" + excerpt(text_, begin) + "\"");
  }
  if (negative) value = -value;
  if (too_large || value < min || value > max) {
    // A number of a million digits is shown by its first few.
    std::string shown(text_.substr(begin, std::min<size_t>(pos_ - begin, 24)));
    if (pos_ - begin > 24) shown += "...";
    throw ReadFailure("the number " + shown + " does not fit " + target);
  }
  skip_blanks();
  if (pos_ < text_.size() && text_[pos_] == ',') {
    ++pos_;
  } else {
    consume_line_end();
  }
  return value;
}

int32_t FieldReader::read_i32() {
  return static_cast<int32_t>(read_number(INT32_MIN, INT32_MAX, "a signed 32-bit value"));
}

int16_t FieldReader::read_i16() {
  return static_cast<int16_t>(read_number(INT16_MIN, INT16_MAX, "a signed 16-bit value"));
}

uint8_t FieldReader::read_u8() {
  return static_cast<uint8_t>(read_number(0, 255, "an unsigned 8-bit value"));
}

std::string_view FieldReader::line_at(size_t line_start) const {
  size_t end = line_start;
  while (end < text_.size() && text_[end] != '\n') ++end;
  if (end > line_start && end <= text_.size() && text_[end - 1] == '\r' &&
      end < text_.size()) {
    --end;
  }
  return text_.substr(line_start, end - line_start);
}

}  // namespace compactor
