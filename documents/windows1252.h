// Conversion between UTF-8 and the Windows-1252 code page in which the crew
// documents and the texts of the compiled files are held: every character is
// exactly one byte ("è" 0xE8, "à" 0xE0, "ù" 0xF9, "€" 0x80). Depends on
// nothing else of the program.
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

// The UTF-8 text of Windows-1252 bytes: ASCII unchanged, 0x80 "€" and the
// other assigned bytes as their characters. The five unassigned bytes (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) become the code points of the same number, as
// Windows itself converts them, so no byte is lost. Never fails.
std::string windows1252_to_utf8(std::string_view bytes);

// True when `text` is well-formed UTF-8: no overlong form, no surrogate,
// nothing past U+10FFFF.
bool is_utf8(std::string_view text);

// The text itself when it is UTF-8, else its bytes read as Windows-1252.
std::string utf8_or_windows1252(std::string_view text);

}  // namespace compactor
