#include "compiler/reader.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

TEST(FieldReaderTest, TextFieldsSkipLeadingBlanksAndStopAtCommaOrLineEnd) {
  FieldReader r(" \tsfondo uno ,  \"quoted\" text\t\r\nnext\nlast");
  EXPECT_EQ(r.read_text(), "sfondo uno");
  EXPECT_EQ(r.read_text(), "\"quoted\" text");
  EXPECT_EQ(r.last_field().line, 1);
  EXPECT_EQ(r.read_text(), "next");
  EXPECT_EQ(r.last_field().line, 2);
  EXPECT_FALSE(r.at_end());
  EXPECT_EQ(r.read_text(), "last");
  EXPECT_EQ(r.last_field().line, 3);
  EXPECT_TRUE(r.at_end());
  EXPECT_THROW(r.read_text(), ReadFailure);
}

TEST(FieldReaderTest, EmptyFieldsAndALoneCarriageReturn) {
  FieldReader r(",\r\n\r\na\rb\n");
  EXPECT_EQ(r.read_text(), "");
  EXPECT_EQ(r.read_text(), "");
  EXPECT_EQ(r.read_text(), "");
  EXPECT_EQ(r.read_text(), "a\rb");
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReaderTest, TheClockRowIsThreeNumbersSeparatedByBlanks) {
  FieldReader r("orologio,    16              12            40 \r\nnext");
  EXPECT_EQ(r.read_text(), "orologio");
  EXPECT_EQ(r.read_i16(), 16);
  EXPECT_EQ(r.read_i16(), 12);
  EXPECT_EQ(r.read_i16(), 40);
  EXPECT_EQ(r.read_text(), "next");
}

TEST(FieldReaderTest, NumbersInTheirForms) {
  const struct {
    const char* text;
    int32_t value;
    const char* rest;
  } cases[] = {
      {"5,x", 5, "x"},
      {"  -11\r\nx", -11, "x"},
      {"+7 , x", 7, "x"},
      {"0042\nx", 42, "x"},
      {"9", 9, ""},
      {"2147483647,x", 2147483647, "x"},
      {"-2147483648,x", INT32_MIN, "x"},
      {"1 2", 1, "2"},
  };
  for (const auto& c : cases) {
    FieldReader r(c.text);
    EXPECT_EQ(r.read_i32(), c.value) << c.text;
    if (*c.rest) EXPECT_EQ(r.read_text(), c.rest) << c.text;
    else EXPECT_TRUE(r.at_end()) << c.text;
  }
}

TEST(FieldReaderTest, AnythingButADecimalIntegerFailsTheReading) {
  for (const char* text : {"", ",", "abc", "1.5", "12a", "- 3", "+", "0x10", "\r\n5", "\n5", "1\r2",
                           "\"3\"", "3e2"}) {
    FieldReader r(text);
    EXPECT_THROW(r.read_i32(), ReadFailure) << text;
  }
}

TEST(FieldReaderTest, ValuesOutsideTheirTargetFailTheReading) {
  const struct {
    const char* text;
    int width;
    bool fits;
  } cases[] = {
      {"255", 8, true},     {"256", 8, false},      {"-1", 8, false},
      {"32767", 16, true},  {"32768", 16, false},   {"-32768", 16, true},
      {"-32769", 16, false}, {"2147483648", 32, false}, {"-2147483649", 32, false},
      {"99999999999999999999999", 32, false},
  };
  for (const auto& c : cases) {
    FieldReader r(c.text);
    auto read = [&] {
      if (c.width == 8) r.read_u8();
      else if (c.width == 16) r.read_i16();
      else r.read_i32();
    };
    if (c.fits) EXPECT_NO_THROW(read()) << c.text;
    else EXPECT_THROW(read(), ReadFailure) << c.text;
  }
}

TEST(FieldReaderTest, KnowsTheLineAndColumnOfEveryField) {
  FieldReader r("a\r\n  segnale,   17230\nx");
  r.read_text();
  EXPECT_EQ(r.read_text(), "segnale");
  EXPECT_EQ(r.last_field().line, 2);
  EXPECT_EQ(r.last_field().column, 2);
  EXPECT_EQ(r.line_at(r.last_field().line_start), "  segnale,   17230");
  EXPECT_EQ(r.read_i32(), 17230);
  EXPECT_EQ(r.last_field().column, 13);
}

}  // namespace
}  // namespace compactor
