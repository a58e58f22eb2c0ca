// The whole compile in memory: notes on the block pass's diagnostics, and
// the check, which reads on past the point where the compile gave up.
#include "pipeline/compile.h"

#include <gtest/gtest.h>

#include "compiler/test_sources.h"

namespace compactor {
namespace {

using testing::line_text;
using testing::service_text;

std::string signal(int p) {
  return "segnale,   " + std::to_string(p) + ",   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n";
}

Sources sources_of(const std::string& service) {
  Sources s;
  s.line = SourceText{"line.txt", line_text("")};
  s.service = SourceText{"svc.txt", service_text(service)};
  return s;
}

TEST(BlockPassNotes, NameTheSlowdownRowAndTheSignalRow) {
  const struct {
    const char* what;
    std::string rows;
    int32_t code;
    std::vector<int> note_lines;  // the rows named, in order; the last note names no row
  } cases[] = {
      // A slowdown starting at cell 100 whose near window, cells 95 to 93,
      // holds signals: 12, at the slowdown row (line 5).
      {"no room in a window", signal(4600) + signal(4650) + signal(4700) +
                                  "rallentamento,  4950,    120,  200, 0,  0,  0\r\n",
       12, {5, 0}},
      // Warning at cell 196 (x = 10950); a signal at cell 190 with both cells
      // in front of it taken by signals: 11, at the slowdown and the signal.
      {"no room in front of a signal near a warning",
       signal(9350) + signal(9400) + signal(9450) + "rallentamento,  10950,    60,  200, 0,  0,  0\r\n", 11,
       {5, 4, 0}},
      // A slow slowdown from cell 101 to cell 121 whose points along it find
      // cells 108 to 110 taken: 13, at the slowdown row.
      {"no room along a slowdown",
       signal(5350) + signal(5400) + signal(5450) + "rallentamento,  5000,    60,  1000, 0,  0,  0\r\n", 13,
       {5, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CompiledScenario r = compile_scenario(1, Names{}, sources_of(c.rows));
    ASSERT_FALSE(r.diagnostics.empty());
    const Diagnostic& d = r.diagnostics.back();
    EXPECT_EQ(d.code, c.code);
    EXPECT_EQ(r.scenario.error_code, c.code);
    ASSERT_EQ(d.notes.size(), c.note_lines.size());
    for (size_t n = 0; n < c.note_lines.size(); ++n) {
      EXPECT_EQ(d.notes[n].line, c.note_lines[n]) << d.notes[n].message;
      if (c.note_lines[n] > 0) {
        EXPECT_EQ(d.notes[n].file, "svc.txt");
      }
    }
  }
}

TEST(Check, ReportsThreeIndependentFaultsInOneRun) {
  // The compile stops at line 3 (16); reading on, line 4 fails to read (25)
  // and line 6 is off the grid (8). The clean line 5 between them is read.
  const Sources sources = sources_of(signal(950) + signal(960) + "sabbia,    x\r\n" + signal(3000) +
                                     "stazione,  17230,  12,  400,  0, 0, 0,  1,1,0,  2,1,1,    0,  0,0, 0, X\r\n");
  const CheckResult r = check_scenario(1, Names{}, sources, WarningSet::defaults());
  ASSERT_EQ(r.diagnostics.size(), 3u);
  EXPECT_EQ(r.diagnostics[0].code, 16);
  EXPECT_EQ(r.diagnostics[0].line, 3);
  EXPECT_EQ(r.diagnostics[1].code, 25);
  EXPECT_EQ(r.diagnostics[1].line, 4);
  EXPECT_EQ(r.diagnostics[1].column, 12);
  EXPECT_EQ(r.diagnostics[2].code, 8);
  EXPECT_EQ(r.diagnostics[2].line, 6);
  for (size_t i = 1; i < 3; ++i) {
    ASSERT_FALSE(r.diagnostics[i].notes.empty());
    EXPECT_EQ(r.diagnostics[i].notes.back().message, "found after the compile stopped at svc.txt:3");
  }
  // The compile's own outcome stays that of the compile.
  EXPECT_EQ(r.error_code, 16);
  EXPECT_EQ(r.error_position, 960);
  EXPECT_TRUE(r.warnings.empty());
}

TEST(Check, ReadsOnInTheServiceAfterTheLineDescriptionStopped) {
  Sources sources;
  sources.line = SourceText{"line.txt", line_text("curvas,  900,  100\r\npendenza,  5000,  x\r\n")};
  sources.service = SourceText{"svc.txt", service_text("velocita,  1000,  123\r\n" + signal(950) + signal(960))};
  const CheckResult r = check_scenario(1, Names{}, sources, WarningSet::defaults());
  std::vector<std::string> found;
  for (const Diagnostic& d : r.diagnostics) found.push_back(d.file + ":" + std::to_string(d.line) + " " + std::to_string(d.code));
  EXPECT_EQ(found, (std::vector<std::string>{"line.txt:4 103", "line.txt:5 25", "svc.txt:4 16"}));
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0].name, "speed-step");
  EXPECT_EQ(r.warnings[0].notes.back().message, "found after the compile stopped at line.txt:4");
}

TEST(Check, ACleanCompileFindsNothingMore) {
  const CheckResult r = check_scenario(1, Names{}, sources_of(signal(950)), WarningSet::all());
  EXPECT_TRUE(r.diagnostics.empty());
  EXPECT_TRUE(r.warnings.empty());
}

TEST(Check, AFifteenInTheServiceIsNotFollowedByTheFinalCheckTwice) {
  // A progressive off the grid (2) is found by the compile after the 15; the
  // reading on finds the signal fault after the 15 and no second 2.
  Sources sources;
  sources.line = SourceText{"line.txt", line_text("", 241000, "progressiva chilometrica uno,    0,    111025,    0\r\n")};
  sources.service = SourceText{"svc.txt", service_text("velocita,  247950,   100\r\n" + signal(950) + signal(960))};
  const CheckResult r = check_scenario(1, Names{}, sources, WarningSet::defaults());
  std::vector<int32_t> codes;
  for (const Diagnostic& d : r.diagnostics) codes.push_back(d.code);
  EXPECT_EQ(codes, (std::vector<int32_t>{15, 2, 16}));
}

}  // namespace
}  // namespace compactor
