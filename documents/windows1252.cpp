#include "documents/windows1252.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace compactor {
namespace {

// The 27 characters that Windows-1252 places at 0x80 to 0x9F; the other
// bytes of that range are unassigned.
struct HighByte {
  char32_t code_point;
  unsigned char byte;
};
constexpr std::array<HighByte, 27> kHighBytes = {{
    {U'\u20AC', 0x80}, {U'\u201A', 0x82}, {U'\u0192', 0x83}, {U'\u201E', 0x84}, {U'\u2026', 0x85},
    {U'\u2020', 0x86}, {U'\u2021', 0x87}, {U'\u02C6', 0x88}, {U'\u2030', 0x89}, {U'\u0160', 0x8A},
    {U'\u2039', 0x8B}, {U'\u0152', 0x8C}, {U'\u017D', 0x8E}, {U'\u2018', 0x91}, {U'\u2019', 0x92},
    {U'\u201C', 0x93}, {U'\u201D', 0x94}, {U'\u2022', 0x95}, {U'\u2013', 0x96}, {U'\u2014', 0x97},
    {U'\u02DC', 0x98}, {U'\u2122', 0x99}, {U'\u0161', 0x9A}, {U'\u203A', 0x9B}, {U'\u0153', 0x9C},
    {U'\u017E', 0x9E}, {U'\u0178', 0x9F},
}};

std::string hex(char32_t c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
  return buf;
}

// The code point that starts at text[i], i moved past it; or, for bytes that
// are not UTF-8, what is wrong and at which offset (i then stays).
struct Decoded {
  char32_t c = 0;
  const char* fault = nullptr;
  size_t at = 0;
};

template <class Text>
Decoded decode_at(Text text, size_t& i) {
  const auto lead = static_cast<uint8_t>(text[i]);
  int extra = 0;
  char32_t c = 0;
  if (lead < 0x80) {
    ++i;
    return {lead};
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
    return {0, "invalid lead byte", i};
  }
  if (text.size() - i <= static_cast<size_t>(extra)) return {0, "truncated sequence", i};
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<uint8_t>(text[i + k]);
    if ((b & 0xC0) != 0x80) return {0, "bad continuation byte", i + static_cast<size_t>(k)};
    c = (c << 6) | (b & 0x3F);
  }
  const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
  if (c < smallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    return {0, "overlong or invalid sequence", i};
  }
  i += static_cast<size_t>(extra) + 1;
  return {c};
}

char32_t decode(std::u8string_view text, size_t& i) {
  const Decoded d = decode_at(text, i);
  if (d.fault != nullptr) {
    throw EncodingError(std::string("not UTF-8: ") + d.fault + " at offset " + std::to_string(d.at));
  }
  return d.c;
}

}  // namespace

std::string to_windows1252(std::u8string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char32_t c = decode(text, i);
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    bool found = false;
    for (const HighByte& h : kHighBytes) {
      if (h.code_point == c) {
        out += static_cast<char>(h.byte);
        found = true;
        break;
      }
    }
    if (!found) throw EncodingError("no Windows-1252 byte for " + hex(c));
  }
  return out;
}

std::string windows1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    char32_t c = b;
    if (b >= 0x80 && b <= 0x9F) {
      for (const HighByte& h : kHighBytes) {
        if (h.byte == b) c = h.code_point;
      }
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool is_utf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    if (decode_at(text, i).fault != nullptr) return false;
  }
  return true;
}

std::string utf8_or_windows1252(std::string_view text) {
  return is_utf8(text) ? std::string(text) : windows1252_to_utf8(text);
}

}  // namespace compactor
