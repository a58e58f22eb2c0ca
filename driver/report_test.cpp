// The JSON report: its fixed shape, and messages turned from the sources'
// Windows-1252 bytes into UTF-8.
#include "driver/report.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

std::string byte_range(int from, int to) {
  std::string s;
  for (int b = from; b <= to; ++b) s += static_cast<char>(b);
  return s;
}

TEST(ReportJson, MessagesAreWindows1252TurnedIntoUtf8) {
  RunReport r;
  r.error_code = 25;
  Diagnostic d;
  d.code = 25;
  d.file = "svc.txt";
  d.line = 4;
  d.message = "found \"" + byte_range(0x80, 0x9F) + "|" + byte_range(0xE0, 0xFF) + "\"";
  r.diagnostics.push_back(d);
  // Written out by hand, not from the program's table: the 27 characters of
  // 0x80 to 0x9F, the five unassigned bytes as the code points of their number.
  const std::u8string message =
      u8"found \\\"€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ|"
      u8"àáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþÿ\\\"";
  const std::string expected_message(message.begin(), message.end());
  EXPECT_EQ(format_json(r),
            "{\"error_code\": 25, \"error_position\": 0, \"diagnostics\": [{\"code\": 25, \"file\": "
            "\"svc.txt\", \"line\": 4, \"message\": \"" +
                expected_message + "\"}], \"written\": []}\n");
}

TEST(ReportJson, FatalNumbersAndReasons) {
  const struct {
    std::string fatal;
    std::string shown;
  } cases[] = {
      {"1250", "\"fatal\": 1250"},
      {"out/x.dat: Permission denied", "\"fatal\": \"out/x.dat: Permission denied\""},
  };
  for (const auto& c : cases) {
    RunReport r;
    r.fatal = c.fatal;
    EXPECT_NE(format_json(r).find(c.shown + ", \"written\": []}"), std::string::npos) << format_json(r);
  }
}

TEST(ReportJson, FileNamesThatAreNotUtf8DoNotStopTheReport) {
  RunReport r;
  r.written.push_back("caf\xE9.dat");  // a Latin-1 name from the platform
  EXPECT_EQ(format_json(r),
            "{\"error_code\": 0, \"error_position\": 0, \"diagnostics\": [], \"written\": [\"caf\xEF\xBF\xBD.dat\"]}\n");
}

}  // namespace
}  // namespace compactor

namespace compactor {
namespace {

Note placed_note(const std::string& file, int line, int column, const std::string& message,
                 const std::string& source_line) {
  Note n;
  n.file = file;
  n.line = line;
  n.column = column;
  n.message = message;
  n.excerpt.source_line = source_line;
  n.excerpt.caret = column - 1;
  return n;
}

TEST(ReportText, AWarningWithANoteInTheFormOfGccAndClang) {
  Warning w;
  w.name = "overwritten";
  w.file = "svc.txt";
  w.line = 3;
  w.column = 11;
  w.message = "the station point goes to cell 201, which held a signal; that feature is gone";
  w.excerpt.source_line = "stazione, 10000, 12, 200";
  w.excerpt.caret = 10;
  w.notes.push_back(placed_note("svc.txt", 2, 1, "cell 201 holds a signal, placed by this row", "segnale, 10000"));
  EXPECT_EQ(format_warning(w),
            "svc.txt:3:11: warning: the station point goes to cell 201, which held a signal; that feature is "
            "gone [-Woverwritten]\n"
            "    stazione, 10000, 12, 200\n"
            "              ^\n"
            "svc.txt:2:1: note: cell 201 holds a signal, placed by this row\n"
            "    segnale, 10000\n"
            "    ^\n");
}

TEST(ReportSarif, AFaultOfNoRowStandsAtItsFirstPlacedNote) {
  Diagnostic d;
  d.code = 12;
  d.position = 5000;
  d.message = "no room";
  d.notes.push_back(placed_note("my svc.txt", 5, 1, "the slowdown", "rallentamento,  4950"));
  Note plain;
  plain.message = "the pass goes on";
  d.notes.push_back(plain);
  const nlohmann::ordered_json log = to_sarif({d}, {});
  const auto& result = log["runs"][0]["results"][0];
  EXPECT_EQ(result["ruleId"], "E12");
  EXPECT_EQ(result["message"]["text"], "no room (at 5000 m); the pass goes on");
  EXPECT_EQ(result["locations"][0]["physicalLocation"]["artifactLocation"]["uri"], "my%20svc.txt");
  EXPECT_EQ(result["locations"][0]["physicalLocation"]["region"]["startLine"], 5);
  EXPECT_EQ(result["relatedLocations"].size(), 1u);
  EXPECT_EQ(log["runs"][0]["tool"]["driver"]["rules"][0]["id"], "E12");
}

}  // namespace
}  // namespace compactor
