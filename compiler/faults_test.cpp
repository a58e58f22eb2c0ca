// Every fault of the feature rows: its code, its position, the file and line
// of the row's key field, the column of the field that caused it, its notes,
// and which sources the compiler gave up.
#include <gtest/gtest.h>

#include "compiler/test_sources.h"

namespace compactor {
namespace {

using testing::compile_rows;

std::string signal(int p) {
  return "segnale,   " + std::to_string(p) + ",   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n";
}
std::string station(int p, int type, int length) {
  return "stazione,  " + std::to_string(p) + ",  " + std::to_string(type) + ",  " + std::to_string(length) +
         ",  0, 0, 0,  1,1,0,  2,1,1,    0,  0,0, 0, X\r\n";
}
const std::string kIndicator = "indicatori_vmax,  2950,  1,  1,  1,  0,  1,  1,  1,  0\r\n";
const std::string kSlowdown = "rallentamento,  213950,    60,  200, 0,  1,  60\r\n";

// What each note says, in order: its line (0: a note of no place) and a
// piece of its message.
struct Expected {
  int line;
  const char* says;
};
const Expected kLineStops{0, "does not read the service description"};
const Expected kServiceStops{0, "without the final fills and checks"};
const Expected kRestNotRead{0, "the rest of this file is not read"};
const Expected kCompilerStops{0, "the compiler stops"};

TEST(FaultsTest, EveryRowFault) {
  const struct {
    const char* name;
    std::string line_rows;
    std::string service_rows;
    int32_t code;
    std::optional<int32_t> position;
    const char* file;
    int line;
    bool service_consumed;
    int column;  // 1-based, of the field that caused the fault
    std::vector<Expected> notes;
  } cases[] = {
      // Line description: rows start on line 4.
      {"board on an occupied cell", kIndicator + "cartello_indicatore,  2950,   x\r\n", "", 6, 2950, "line.txt", 5, false,
       23, {{4, "cell 60 (3000 to 3050 m) holds a speed indicator, placed by this row"}, kLineStops}},
      {"indicator on an occupied cell", kIndicator + kIndicator, "", 21, 2950, "line.txt", 5, false, 19,
       {{4, "holds a speed indicator"}, kLineStops}},
      {"curve without class", "curvas,  900,  100\r\n", "", 103, std::nullopt, "line.txt", 4, false, 1, {kLineStops}},
      {"line row beyond the track", "pendenza,  247950,   0\r\n", "", 15, 247950, "line.txt", 4, true, 12,
       {kRestNotRead}},
      {"line row that cannot be read", "montagna,   1000,  x,  1\r\n", "", 25, std::nullopt, "line.txt", 4, true, 20,
       {kCompilerStops}},
      // Service description: rows start on line 2.
      {"point on an occupied cell", "", signal(950) + "abbattimento,  1000,   9\r\n", 7, 1000, "svc.txt", 3, true, 16,
       {{2, "cell 20 (1000 to 1050 m) holds a signal, placed by this row"}, kServiceStops}},
      {"signal on an occupied cell", "", signal(950) + signal(960), 16, 960, "svc.txt", 3, true, 12,
       {{2, "holds a signal"}, kServiceStops}},
      {"warning cell occupied", "", signal(212750) + kSlowdown, 17, 213950, "svc.txt", 3, true, 17,
       {{2, "cell 4256 (212800 to 212850 m) holds a signal"}, kServiceStops}},
      {"start cell occupied", "", signal(213950) + kSlowdown, 18, 213950, "svc.txt", 3, true, 17,
       {{2, "cell 4280 (214000 to 214050 m) holds a signal"}, kServiceStops}},
      {"end cell occupied", "", signal(214150) + kSlowdown, 19, 213950, "svc.txt", 3, true, 17,
       {{2, "cell 4284 (214200 to 214250 m) holds a signal"}, kServiceStops}},
      {"approach cells occupied", "", signal(212600) + kSlowdown, 20, 213950, "svc.txt", 3, true, 17,
       {{2, "cell 4253 (212650 to 212700 m) holds a signal"}, kServiceStops}},
      {"station off the grid", "", station(17230, 12, 400), 8, 17230, "svc.txt", 2, true, 12, {kServiceStops}},
      {"station length", "", station(10000, 12, 450), 9, 10000, "svc.txt", 2, true, 25, {kServiceStops}},
      {"stations too close", "", station(10000, 12, 400) + station(10700, 12, 400), 22, 10700, "svc.txt", 3, true, 12,
       {{2, "the previous station's platform ends at 10200 m; this one starts at 10500 m"}, kServiceStops}},
      {"platform ending near the start", "", station(0, 8, 100), 24, std::nullopt, "svc.txt", 2, true, 20,
       {kServiceStops}},
      {"station beyond the track", "", station(247500, 12, 400), 15, 247500, "svc.txt", 2, true, 12, {kRestNotRead}},
      {"service row beyond the track", "", "velocita,  247950,   100\r\n", 15, 247950, "svc.txt", 2, true, 12,
       {kRestNotRead}},
      {"service row that cannot be read", "", "sabbia,    40000\r\n", 25, std::nullopt, "svc.txt", 2, true, 12,
       {kCompilerStops}},
      {"platform past the last cell", "", station(247000, 7, 1000000), 25, std::nullopt, "svc.txt", 2, true, 12,
       {kCompilerStops}},
      {"signal before the line's start", "", signal(-200), 25, std::nullopt, "svc.txt", 2, true, 12, {kCompilerStops}},
      // A row short of values takes them from the next line; the value that
      // fails is shown by a note there.
      {"signal short of values", "", "segnale,   2000,   2\r\n" + station(10000, 12, 400), 25, std::nullopt, "svc.txt",
       2, true, 1, {{3, "this row's line holds 2 values"}, kCompilerStops}},
      // A fill fault stands at the value that the fill stored, with a note at
      // the row whose arrival stored it.
      {"speed stored by the next row", "", "velocita,  1000,  1500\r\nvelocita,  2000,  100\r\n", 25, std::nullopt,
       "svc.txt", 2, true, 19, {{3, "the fill stored it when this row arrived"}, kCompilerStops}},
      {"speed stored at the end", "", "velocita,  1000,  1500\r\n", 25, std::nullopt, "svc.txt", 2, true, 19,
       {{0, "when it completed the speeds at the end of the file"}, kCompilerStops}},
  };
  for (const auto& c : cases) {
    const testing::Compiled r = compile_rows(c.line_rows, c.service_rows);
    EXPECT_EQ(r.s.error_code, c.code) << c.name;
    ASSERT_FALSE(r.diagnostics.empty()) << c.name;
    const Diagnostic& d = r.diagnostics.back();
    EXPECT_EQ(d.code, c.code) << c.name;
    EXPECT_EQ(d.position, c.position) << c.name;
    if (c.position) {
      EXPECT_EQ(r.s.error_position, *c.position) << c.name;
    }
    EXPECT_EQ(d.file, c.file) << c.name;
    EXPECT_EQ(d.line, c.line) << c.name;
    EXPECT_EQ(d.column, c.column) << c.name;
    ASSERT_EQ(d.notes.size(), c.notes.size()) << c.name;
    for (size_t n = 0; n < c.notes.size(); ++n) {
      EXPECT_EQ(d.notes[n].line, c.notes[n].line) << c.name << ", note " << n;
      EXPECT_NE(d.notes[n].message.find(c.notes[n].says), std::string::npos)
          << c.name << ": " << d.notes[n].message;
      if (c.notes[n].line > 0) {
        EXPECT_EQ(d.notes[n].file, c.file) << c.name;
        EXPECT_FALSE(d.notes[n].excerpt.source_line.empty()) << c.name;
      }
    }
    EXPECT_TRUE(r.report.line_consumed) << c.name;
    EXPECT_EQ(r.report.service_consumed, c.service_consumed) << c.name;
    EXPECT_TRUE(r.s.track_allocated) << c.name;
  }
}

}  // namespace
}  // namespace compactor
