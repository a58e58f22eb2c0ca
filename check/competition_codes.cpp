#include "check/competition_codes.h"

namespace compactor {
namespace {

// Lower case in the Windows-1252 code page: A-Z, the accented capitals
// 0xC0-0xDE (but the multiplication sign 0xD7), and the four capitals that
// live in 0x8A-0x9F.
unsigned char to_lower_ansi(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

}  // namespace

std::string code_text(const Scenario& s) {
  std::string text = s.table[86].text + s.table[85].text;
  if (text.size() > 25) text.resize(25);
  for (char& c : text) c = static_cast<char>(to_lower_ansi(static_cast<unsigned char>(c)));
  text += kCodePad;
  text.resize(25);
  return text;
}

int32_t codice_gara_st(const Scenario& s) {
  const std::string text = code_text(s);
  int32_t sum = 0;
  for (int p = 1; p <= 25; ++p) sum += p * static_cast<unsigned char>(text[p - 1]);
  return sum;
}

int32_t codice_gara_og(const Scenario& s) {
  const std::string text = code_text(s);
  int32_t sum = 0;
  for (unsigned char c : text) sum += c;
  return sum;
}

}  // namespace compactor
