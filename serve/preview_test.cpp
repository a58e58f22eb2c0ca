#include "serve/preview.h"

#include <gtest/gtest.h>

namespace compactor::serve {
namespace {

Look with_picture(const std::string& time, const std::string& marker) {
  Look look;
  look.time = time;
  look.picture = nlohmann::json{{"summary", marker}};
  return look;
}

Look without_picture(const std::string& time, const std::string& fault) {
  Look look;
  look.time = time;
  look.faults.push_back(fault);
  return look;
}

TEST(Preview, ALookWithoutAPictureKeepsTheLastOneMarkedAsEarlier) {
  Preview p;
  const nlohmann::json first = p.next(with_picture("10:00:00.000", "first"));
  EXPECT_TRUE(first["current"]);
  EXPECT_EQ(first["picture"]["summary"], "first");
  EXPECT_EQ(first["generation"], 1);

  const nlohmann::json broken = p.next(without_picture("10:00:01.000", "compactor: svc.txt: no such file"));
  EXPECT_FALSE(broken["current"]);
  EXPECT_EQ(broken["picture"]["summary"], "first");
  EXPECT_EQ(broken["picture_time"], "10:00:00.000");
  EXPECT_EQ(broken["picture_generation"], 1);
  EXPECT_EQ(broken["faults"], nlohmann::json::array({"compactor: svc.txt: no such file"}));

  const nlohmann::json mended = p.next(with_picture("10:00:02.000", "second"));
  EXPECT_TRUE(mended["current"]);
  EXPECT_EQ(mended["picture"]["summary"], "second");
  EXPECT_EQ(mended["picture_generation"], 3);
  EXPECT_EQ(mended["faults"], nlohmann::json::array());
}

TEST(Preview, NoPictureYetIsNull) {
  Preview p;
  const nlohmann::json s = p.next(without_picture("10:00:00.000", "compactor: line.txt: no such file"));
  EXPECT_TRUE(s["picture"].is_null());
  EXPECT_FALSE(s["current"]);
}

TEST(Preview, DiagnosticsCarryTheirPlaceAndTheTerminalText) {
  Preview p;
  Look look = with_picture("10:00:00.000", "x");
  Diagnostic d;
  d.code = 16;
  d.position = 17240;
  d.file = "svc\xE8.txt";  // Windows-1252 "è"
  d.line = 3;
  d.column = 0;
  d.source_line = "segnale,   17240";
  d.message = "signal on an occupied cell";
  look.diagnostics.push_back(d);
  const nlohmann::json s = p.next(look);
  const nlohmann::json& j = s["diagnostics"][0];
  EXPECT_EQ(j["code"], 16);
  EXPECT_EQ(j["position"], 17240);
  EXPECT_EQ(j["file"], "svc\xC3\xA8.txt");
  EXPECT_EQ(j["line"], 3);
  EXPECT_EQ(j["text"],
            "svc\xC3\xA8.txt:3: error 16: signal on an occupied cell (at 17240 m)\n"
            "    segnale,   17240\n    ^\n");
  EXPECT_NO_THROW(s.dump());
}

TEST(TerminalText, TheLineDescriptionFirstThenByLineThenTheFaults) {
  Look look;
  look.line_source = "line.txt";
  look.service_source = "svc.txt";
  auto fault = [](const std::string& file, int line, const std::string& message) {
    Diagnostic d;
    d.code = 16;
    d.file = file;
    d.line = line;
    d.message = message;
    return d;
  };
  look.diagnostics = {fault("svc.txt", 9, "second"), fault("line.txt", 40, "first")};
  Warning w;
  w.name = "unknown-key";
  w.file = "svc.txt";
  w.line = 2;
  w.message = "between";
  look.warnings = {w};
  look.faults = {"compactor: out/x.dat: cannot write"};
  const std::string text = terminal_text(look);
  const size_t first = text.find("first"), between = text.find("between"), second = text.find("second");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(between, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  EXPECT_LT(first, between);
  EXPECT_LT(between, second);
  EXPECT_EQ(text.substr(text.size() - 35), "compactor: out/x.dat: cannot write\n");
}

TEST(Utf8OfWindows1252, MapsEveryByteToOneCharacter) {
  EXPECT_EQ(utf8_of_windows1252("abc"), "abc");
  EXPECT_EQ(utf8_of_windows1252("\xE0\xE8\xF9"), "\xC3\xA0\xC3\xA8\xC3\xB9");
  EXPECT_EQ(utf8_of_windows1252("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(utf8_of_windows1252("\x81"), "\xC2\x81");  // unassigned: its own number
  EXPECT_EQ(utf8_of_windows1252(std::string("\0", 1)), std::string("\0", 1));
}

}  // namespace
}  // namespace compactor::serve
