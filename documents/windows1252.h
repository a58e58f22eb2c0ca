// Conversion of the crew documents' UTF-8 source text into the bytes of the
// files, which are written in the Windows-1252 code page: every character
// becomes exactly one byte ("è" 0xE8, "à" 0xE0, "ù" 0xF9); and back, for
// texts of the model shown as UTF-8.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace compactor {

// Thrown for text that is not well-formed UTF-8 or holds a character that
// Windows-1252 cannot represent.
class EncodingError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The Windows-1252 bytes of a UTF-8 text: ASCII unchanged, every other
// representable character as its single byte.
std::string to_windows1252(std::u8string_view text);

// The UTF-8 text of Windows-1252 bytes: ASCII unchanged, every other byte as
// the character it stands for; the five bytes the code page leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become U+FFFD. Never throws.
std::string from_windows1252(std::string_view bytes);

}  // namespace compactor
