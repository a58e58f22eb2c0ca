// The frame of the compiler: finding "[generale]", the general section, the
// ordering of the progressives, the final check and every fault of the frame.
#include <gtest/gtest.h>

#include "compiler/test_sources.h"

namespace compactor {
namespace {

using testing::compile_texts;
using testing::Compiled;
using testing::service_text;

using testing::kEmptyService;
using testing::kGeneralRows;

std::string general(const std::string& rows) { return "[generale]\r\n" + rows; }
std::string with_length(const std::string& rows) {
  return "[generale]\r\nlunghezza percorso,    241000\r\n" + rows;
}

TEST(GeneralSectionTest, TheBuiltInGeneralRowsFillTheTableAndSizeTheModel) {
  const Compiled c = compile_texts(kGeneralRows, kEmptyService);
  EXPECT_EQ(c.s.error_code, 0);
  EXPECT_EQ(c.s.last_cell, 4960);
  EXPECT_EQ(c.s.path_end, 248000);
  EXPECT_EQ(c.s.track.size(), 4961u);
  EXPECT_EQ(c.entry(81).long1, 0);
  EXPECT_EQ(c.entry(81).long2, 111000);
  EXPECT_EQ(c.entry(81).long3, 0);
  for (int e : {82, 83}) EXPECT_EQ(c.entry(e).long2, 0) << e;
  EXPECT_EQ(c.entry(84).long2, 241000);
  EXPECT_EQ(c.entry(85).long1, 1);
  EXPECT_EQ(c.entry(85).long2, 0);
  EXPECT_EQ(c.entry(85).long3, 0);
  EXPECT_EQ(c.entry(85).text, "Lavena_Codrano2");
  EXPECT_EQ(c.entry(86).long1, 0);
  EXPECT_EQ(c.entry(86).long2, 239000);
  EXPECT_EQ(c.entry(86).long3, 4);
  EXPECT_EQ(c.entry(86).text, "ES 2718");
  EXPECT_TRUE(c.report.line_consumed);
  EXPECT_TRUE(c.report.service_consumed);
}

TEST(GeneralSectionTest, WithoutCurvesThePathIsStraight) {
  const Compiled c = compile_texts(kGeneralRows, kEmptyService);
  const Path& p = c.s.path;
  EXPECT_TRUE(p.origin_set);
  EXPECT_EQ(p.next, 248000 - 1);
  for (int i : {0, 1, 2, 3, 1000, 247998}) {
    EXPECT_EQ(p.x[static_cast<size_t>(i)], 0.0) << i;
    EXPECT_EQ(p.y[static_cast<size_t>(i)], static_cast<double>(i)) << i;
  }
}

TEST(GeneralSectionTest, BackgroundsGoToEntry85InTheirOddOrder) {
  const Compiled c = compile_texts(
      with_length("sfondo uno,    1\r\nsfondo due,    2\r\nsfondo tre,    3\r\n[curve]\r\n"),
      kEmptyService);
  EXPECT_EQ(c.entry(85).long1, 1);
  EXPECT_EQ(c.entry(85).long2, 3);
  EXPECT_EQ(c.entry(85).long3, 2);
}

TEST(GeneralSectionTest, SignalRepetitionCodes) {
  const struct {
    const char* row;
    int32_t code;
    int32_t repetition;
    int column = 0;  // of the caret: the key (5), the start (3), the end (4)
  } cases[] = {
      {"ripetizione segnali 4 codici,    0,    239000", 0, 4},
      {"ripetizione segnali 9 codici,    50,    1000", 0, 9},
      {"ripetizione segnali 9 codici,    50,    0", 0, 0},
      {"ripetizione segnali codici,    0,    1000", 5, 0, 1},
      {"ripetizione segnali codici,    25,    1000", 3, 0, 32},
      {"ripetizione segnali 4 codici,    0,    1010", 4, 0, 40},
  };
  for (const auto& c : cases) {
    const Compiled r = compile_texts(with_length(std::string(c.row) + "\r\n[curve]\r\n"), kEmptyService);
    EXPECT_EQ(r.s.error_code, c.code) << c.row;
    if (c.code == 0) {
      EXPECT_EQ(r.entry(86).long3, c.repetition) << c.row;
    }
    else {
      // The line description is given up; the service is never opened.
      EXPECT_TRUE(r.report.line_consumed);
      EXPECT_FALSE(r.report.service_consumed);
      EXPECT_EQ(r.diagnostics.back().line, 3) << c.row;
      EXPECT_EQ(r.diagnostics.back().column, c.column) << c.row;
      ASSERT_EQ(r.diagnostics.back().notes.size(), 1u) << c.row;
      EXPECT_EQ(r.diagnostics.back().notes[0].message,
                "the compiler stops here and does not read the service description");
    }
  }
}

TEST(GeneralSectionTest, CommentFieldsAndSectionEnd) {
  // Eight dashes are dropped; a header written with a leading dash does not
  // end the section, so "sfondo due" is still read as general.
  const Compiled c = compile_texts(with_length("--------\r\n- [curve]\r\nsfondo due,    7\r\n[curve]\r\n"),
                                   kEmptyService);
  EXPECT_EQ(c.s.error_code, 0);
  EXPECT_EQ(c.entry(85).long3, 7);

  // Eleven dash fields in a row: the eleventh is taken as a key field and,
  // holding no bracket, does not end the section either.
  std::string dashes;
  for (int i = 0; i < 11; ++i) dashes += "--\r\n";
  const Compiled d = compile_texts(with_length(dashes + "sfondo tre,    5\r\n[curve]\r\n"), kEmptyService);
  EXPECT_EQ(d.s.error_code, 0);
  EXPECT_EQ(d.entry(85).long2, 5);
}

TEST(GeneralSectionTest, TheHeaderAfterTheSectionIsConsumed) {
  // "[curve]" ends the section; "pendenza" on the next row is a feature row.
  const Compiled c = compile_texts(with_length("[curve]\r\npendenza,  100,   5\r\n"), kEmptyService);
  EXPECT_EQ(c.cell(1).gradientCode, 100);
  EXPECT_EQ(c.cell(2).gradientCode, 105);
}

TEST(GeneralSectionTest, FaultsOfTheFrame) {
  const struct {
    const char* name;
    std::optional<std::string> line;
    int32_t code;
    bool line_consumed;
    bool service_consumed;
    bool track;
  } cases[] = {
      {"missing line description", std::nullopt, 101, false, false, false},
      {"empty line description", std::string(""), 102, true, false, false},
      {"no [generale]", std::string("lunghezza percorso, 1000\r\n"), 102, true, false, false},
      {"[generale] as the very last field", std::string("x\r\n[generale]\r\n"), 102, true, false, false},
      {"line too long", general("lunghezza percorso,    1000001\r\n"), 1, true, false, false},
      {"no line-length row", general("sfondo uno,    1\r\n[curve]\r\n"), 25, true, false, false},
      {"negative line length", general("lunghezza percorso,    -50\r\n"), 25, true, true, false},
      {"a number that is not", general("lunghezza percorso,    24x\r\n"), 25, true, true, false},
      {"longest line", general("lunghezza percorso,    1000000\r\n"), 0, true, true, true},
  };
  for (const auto& c : cases) {
    const Compiled r = compile_texts(c.line, kEmptyService);
    EXPECT_EQ(r.s.error_code, c.code) << c.name;
    EXPECT_EQ(r.report.line_consumed, c.line_consumed) << c.name;
    EXPECT_EQ(r.report.service_consumed, c.service_consumed) << c.name;
    EXPECT_EQ(r.s.track_allocated, c.track) << c.name;
    if (c.code == 0) continue;
    ASSERT_FALSE(r.diagnostics.empty()) << c.name;
    EXPECT_EQ(r.diagnostics.back().code, c.code) << c.name;
    if (c.code != 101) {
      EXPECT_EQ(r.diagnostics.back().file, "line.txt") << c.name;
    }
  }
}

TEST(GeneralSectionTest, ALineLengthOfZeroStillGivesTheTrackBeyondTheEnd) {
  const Compiled c = compile_texts(general("lunghezza percorso,    0\r\n"), kEmptyService);
  EXPECT_EQ(c.s.error_code, 0);
  EXPECT_EQ(c.s.last_cell, 140);
  EXPECT_EQ(c.s.path_end, 7000);
}

TEST(GeneralSectionTest, AReadFailureNamesTheRowOfItsKeyField) {
  const Compiled c = compile_texts(with_length("sfondo uno,    1.5\r\n"), kEmptyService);
  ASSERT_EQ(c.s.error_code, 25);
  const Diagnostic& d = c.diagnostics.back();
  EXPECT_EQ(d.file, "line.txt");
  EXPECT_EQ(d.line, 3);
  EXPECT_EQ(d.source_line, "sfondo uno,    1.5");
  EXPECT_EQ(d.column, 16);  // under the value that failed
  EXPECT_EQ(d.caret, 15);
  EXPECT_NE(d.message.find("1.5"), std::string::npos) << d.message;
}

std::string progressives(int t_start, int t_km, int d_start, int d_km, int u_start, int u_km,
                         int u_flag = 0) {
  auto row = [](const char* which, int start, int km, int flag) {
    return std::string("progressiva chilometrica ") + which + ",    " + std::to_string(start) +
           ",    " + std::to_string(km) + ",    " + std::to_string(flag) + "\r\n";
  };
  return row("tre", t_start, t_km, 0) + row("due", d_start, d_km, 0) + row("uno", u_start, u_km, u_flag);
}

TEST(ProgressiveOrderTest, OrderedByStartOrByKilometreValue) {
  struct Triple {
    int start, km;
  };
  const struct {
    const char* name;
    std::string rows;
    Triple r81, r82, r83;
  } cases[] = {
      {"built-in", progressives(0, 0, 0, 0, 0, 111000), {0, 111000}, {0, 0}, {0, 0}},
      {"tie at the top", progressives(5000, 300000, 0, 100000, 5000, 400000), {0, 0}, {0, 0}, {0, 0}},
      {"later rule wins", progressives(0, 1000, 0, 2000, 0, 0), {0, 2000}, {0, 1000}, {0, 0}},
      {"T greatest, D > U", progressives(300, 3, 200, 2, 100, 1), {300, 3}, {200, 2}, {100, 1}},
      {"T greatest, D <= U", progressives(300, 3, 100, 2, 100, 1), {300, 3}, {100, 1}, {100, 2}},
      {"D greatest, T <= U", progressives(100, 3, 300, 2, 200, 1), {300, 2}, {200, 1}, {100, 3}},
      {"U greatest, T > D", progressives(200, 3, 100, 2, 300, 1), {300, 1}, {200, 3}, {100, 2}},
      {"all zero", progressives(0, 0, 0, 0, 0, 0), {0, 0}, {0, 0}, {0, 0}},
  };
  for (const auto& c : cases) {
    const Compiled r = compile_texts(with_length(c.rows + "[curve]\r\n"), kEmptyService);
    const Triple got[3] = {{r.entry(81).long1, r.entry(81).long2},
                           {r.entry(82).long1, r.entry(82).long2},
                           {r.entry(83).long1, r.entry(83).long2}};
    const Triple want[3] = {c.r81, c.r82, c.r83};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(got[i].start, want[i].start) << c.name << " entry " << 81 + i;
      EXPECT_EQ(got[i].km, want[i].km) << c.name << " entry " << 81 + i;
    }
  }
}

TEST(ProgressiveOrderTest, TheFlagRaisesTheKilometreValueAndTheFinalCheckSeesIt) {
  const Compiled raised =
      compile_texts(with_length(progressives(0, 0, 0, 0, 0, 111050, 1) + "[curve]\r\n"), kEmptyService);
  EXPECT_EQ(raised.entry(81).long2, 111150);
  EXPECT_EQ(raised.s.error_code, 0);

  // Off the 50 m grid: error 2, found after everything else was compiled.
  const Compiled off = compile_texts(
      with_length(progressives(0, 0, 0, 0, 0, 111025) + "[curve]\r\n"),
      service_text("velocita,       0,   115\r\n"));
  EXPECT_EQ(off.s.error_code, 2);
  EXPECT_EQ(off.cell(100).speedStep, 23);
  EXPECT_TRUE(off.report.service_consumed);
}

TEST(CompilerFrameTest, AServiceWithoutGeneraleCompilesNothingButIsConsumed) {
  const Compiled c = compile_texts(kGeneralRows, "velocita,       0,   115\r\n");
  EXPECT_EQ(c.s.error_code, 0);
  EXPECT_TRUE(c.report.service_consumed);
  // The fills still run, with the speed of no row: 0.
  EXPECT_EQ(c.cell(10).speedStep, 0);
}

TEST(CompilerFrameTest, AnError15InTheLineIsKeptAfterACleanService) {
  const Compiled c = compile_texts(with_length("[curve]\r\npendenza,  247950,   5\r\n"),
                                   service_text("velocita,       0,   115\r\n"));
  EXPECT_EQ(c.s.error_code, 15);
  EXPECT_EQ(c.s.error_position, 247950);
  EXPECT_EQ(c.cell(100).speedStep, 23);
}

TEST(CompilerFrameTest, AMissingServiceFailsTheReadingAndConsumesTheLine) {
  const Compiled c = compile_texts(kGeneralRows, std::nullopt);
  EXPECT_EQ(c.s.error_code, 25);
  EXPECT_TRUE(c.report.line_consumed);
}

}  // namespace
}  // namespace compactor
