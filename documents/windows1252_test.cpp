#include "documents/windows1252.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

struct Case {
  std::u8string_view utf8;
  std::string_view bytes;
};

TEST(Windows1252Test, EachCharacterBecomesOneByte) {
  const Case cases[] = {
      {u8"", ""},
      {u8"Lavena - Codrano, 135% 'x' ~", "Lavena - Codrano, 135% 'x' ~"},
      {u8"è", "\xE8"},
      {u8"à", "\xE0"},
      {u8"ù", "\xF9"},
      {u8"velocità più è", "velocit\xE0 pi\xF9 \xE8"},
      {u8"\u00A0", "\xA0"},  // first byte of the Latin-1 half
      {u8"ÿ", "\xFF"},       // last
      {u8"€", "\x80"},       // the characters Windows-1252 puts at 0x80 to 0x9F
      {u8"’", "\x92"},
      {u8"Ÿ", "\x9F"},
      {u8"\u007F", "\x7F"},
  };
  for (const Case& c : cases) {
    const std::string got = to_windows1252(c.utf8);
    EXPECT_EQ(got, c.bytes) << std::string(c.utf8.begin(), c.utf8.end());
  }
}

TEST(Windows1252Test, RefusesWhatItCannotConvert) {
  const std::u8string_view cases[] = {
      u8"\u0151",       // o with double acute: no Windows-1252 byte
      u8"\u2192",       // arrow
      u8"\U0001F682",   // four-byte sequence
      u8"\u0081",       // a C1 control: 0x81 is unassigned in Windows-1252
  };
  for (std::u8string_view c : cases) {
    EXPECT_THROW(to_windows1252(c), EncodingError) << std::string(c.begin(), c.end());
  }
}

TEST(Windows1252Test, RefusesMalformedUtf8) {
  const std::string_view cases[] = {
      "\x80",          // continuation byte without a lead
      "a\xC3",         // truncated two-byte sequence
      "\xE0\xA0",      // truncated three-byte sequence
      "\xC3(",         // lead followed by a non-continuation byte
      "\xC0\xA8",      // overlong encoding of '('
      "\xE0\x80\xA8",  // overlong, three bytes
      "\xED\xA0\x80",  // UTF-16 surrogate
      "\xF5\x80\x80\x80",  // beyond U+10FFFF
      "\xFF",
  };
  for (std::string_view c : cases) {
    const std::u8string text(c.begin(), c.end());
    EXPECT_THROW(to_windows1252(text), EncodingError) << ::testing::PrintToString(std::string(c));
  }
}

}  // namespace
}  // namespace compactor

namespace compactor {
namespace {

TEST(Windows1252Test, BytesBecomeUtf8) {
  const struct {
    std::string_view bytes;
    std::u8string_view utf8;
  } cases[] = {
      {"", u8""},
      {"ES 2718", u8"ES 2718"},
      {"\x80", u8"€"},
      {"\x8A\x9F", u8"ŠŸ"},
      {"velocit\xE0 pi\xF9 \xE8", u8"velocità più è"},
      {"\xFF", u8"ÿ"},
      {"\x81\x8D\x8F\x90\x9D", u8"\u0081\u008D\u008F\u0090\u009D"},  // unassigned: kept as code points
  };
  for (const auto& c : cases) {
    EXPECT_EQ(windows1252_to_utf8(c.bytes), std::string(c.utf8.begin(), c.utf8.end()));
  }
}

TEST(Windows1252Test, EveryAssignedByteComesBackThroughUtf8) {
  for (int b = 0; b < 256; ++b) {
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) continue;
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = windows1252_to_utf8(byte);
    EXPECT_EQ(to_windows1252(std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size())), byte) << b;
  }
}

}  // namespace
}  // namespace compactor

namespace compactor {
namespace {

TEST(Windows1252Test, OnlyWellFormedUtf8PassesAsIs) {
  const struct {
    std::string_view text;
    bool utf8;
  } cases[] = {
      {"", true},
      {"ES 2718", true},
      {"\xC3\xA8", true},          // è
      {"\xE2\x82\xAC", true},      // €
      {"\xE8", false},             // è in Windows-1252
      {"\xC0\xAF", false},         // an overlong '/'
      {"\xED\xA0\x80", false},     // a surrogate
      {"\xF4\x90\x80\x80", false}, // past U+10FFFF
      {"\xE2\x82", false},         // cut short
  };
  for (const auto& c : cases) {
    EXPECT_EQ(is_utf8(c.text), c.utf8) << c.text;
    EXPECT_EQ(utf8_or_windows1252(c.text), c.utf8 ? std::string(c.text) : windows1252_to_utf8(c.text));
  }
}

}  // namespace
}  // namespace compactor
