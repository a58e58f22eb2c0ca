#include "view/text.h"

#include <charconv>
#include <cmath>

#include "documents/windows1252.h"

namespace compactor::view {

namespace {

template <class S>
void escape_into(S& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        // Control characters other than tab and line ends cannot stand in XML.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          out += "\xEF\xBF\xBD";
        } else {
          out += c;
        }
    }
  }
}

template <class S>
void hundredths_into(S& out, int64_t h) {
  if (h < 0) {
    out += '-';
    h = -h;
  }
  char digits[24];
  const std::to_chars_result r = std::to_chars(digits, digits + sizeof digits, h / 100);
  out.append(digits, static_cast<size_t>(r.ptr - digits));
  const int frac = static_cast<int>(h % 100);
  if (frac != 0) {
    out += '.';
    out += static_cast<char>('0' + frac / 10);
    if (frac % 10 != 0) out += static_cast<char>('0' + frac % 10);
  }
}

}  // namespace

void append_escaped(std::string& out, std::string_view text) { escape_into(out, text); }
void append_escaped(Text& out, std::string_view text) { escape_into(out, text); }
void append_hundredths(std::string& out, int64_t h) { hundredths_into(out, h); }
void append_hundredths(Text& out, int64_t h) { hundredths_into(out, h); }

std::string escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  append_escaped(out, text);
  return out;
}

std::string as_utf8(std::string_view text) { return utf8_or_windows1252(text); }

int64_t to_hundredths(double v) {
  if (!(v == v)) return 0;
  const double h = std::round(v * 100.0);
  if (h > 1e15) return 1000000000000000;
  if (h < -1e15) return -1000000000000000;
  return static_cast<int64_t>(h);
}

std::string real_text(double v) {
  std::string out;
  append_real(out, v);
  return out;
}

}  // namespace compactor::view
