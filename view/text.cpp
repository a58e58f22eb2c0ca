#include "view/text.h"

#include <cmath>

#include "documents/windows1252.h"

namespace compactor::view {

void append_escaped(std::string& out, std::string_view text) {
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

std::string escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  append_escaped(out, text);
  return out;
}

bool is_utf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra;
    uint32_t c;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      c = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i <= static_cast<size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      c = (c << 6) | (b & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += static_cast<size_t>(extra) + 1;
  }
  return true;
}

std::string as_utf8(std::string_view text) {
  if (is_utf8(text)) return std::string(text);
  return windows1252_to_utf8(text);
}

int64_t to_hundredths(double v) {
  if (!(v == v)) return 0;
  const double h = std::round(v * 100.0);
  if (h > 1e15) return 1000000000000000;
  if (h < -1e15) return -1000000000000000;
  return static_cast<int64_t>(h);
}

void append_hundredths(std::string& out, int64_t h) {
  if (h < 0) {
    out += '-';
    h = -h;
  }
  out += std::to_string(h / 100);
  const int frac = static_cast<int>(h % 100);
  if (frac != 0) {
    out += '.';
    out += static_cast<char>('0' + frac / 10);
    if (frac % 10 != 0) out += static_cast<char>('0' + frac % 10);
  }
}

std::string real_text(double v) {
  std::string out;
  append_real(out, v);
  return out;
}

}  // namespace compactor::view
