// Station rows: table entries, platforms, station points, approach codes and
// the faults of stations.
#include <gtest/gtest.h>

#include "compiler/test_sources.h"

namespace compactor {
namespace {

using testing::compile_rows;
using testing::Compiled;

const std::string kLavena =
    "stazione,       0,  8,  500,  0, 0, 0,  1,1,0,  4,1,1,    1,  16,13, 0, LAVENA\r\n";

std::string station(int p, int type, int length, int v6 = 0, int v5 = 0, const std::string& name = "X") {
  return "stazione,  " + std::to_string(p) + ",  " + std::to_string(type) + ",  " + std::to_string(length) +
         ",  0, " + std::to_string(v5) + ", " + std::to_string(v6) + ",  1,1,0,  2,1,1,    0,  0,0, 0, " +
         name + "\r\n";
}

TEST(StationTest, TheFirstBuiltInStation) {
  const Compiled c = compile_rows("", kLavena);
  EXPECT_EQ(c.s.error_code, 0);
  const TableEntry& e = c.entry(1);
  EXPECT_EQ(e.kind, 8);
  EXPECT_EQ(e.long1, -500);
  EXPECT_EQ(e.long2, 500);
  EXPECT_EQ(e.long3, 0);
  EXPECT_EQ(e.int1, 1);
  EXPECT_EQ(e.int2, 1);
  EXPECT_EQ(e.int3, 4);
  EXPECT_EQ(e.int4, 1);
  EXPECT_EQ(e.int5, 1);
  EXPECT_EQ(e.byte1, 0);
  EXPECT_EQ(e.byte2, 1);
  EXPECT_EQ(e.long4, 58380);
  EXPECT_EQ(e.text, "LAVENA");
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(c.cell(9 - k).approach, 80 + k);
  EXPECT_EQ(c.cell(9).kind, kStationPoint);
  EXPECT_EQ(c.cell(9).paramA, 1);
}

TEST(StationTest, PlatformsByType) {
  const struct {
    std::string row;
    int32_t start, end;
    int point;          // station point cell, or -1 for none
    bool approach;
  } cases[] = {
      {station(10000, 12, 500), 9750, 10250, 204, true},
      {station(5250, 28, 200), 5150, 5350, -1, false},
      {station(177450, 12, 600, 1), 177150, 177800, 3555, true},
      {station(10000, 5, 400), 9600, 10150, 202, false},
      {station(10000, 7, 400), 9600, 10400, 207, true},
  };
  for (const auto& c : cases) {
    const Compiled r = compile_rows("", kLavena + c.row);
    EXPECT_EQ(r.s.error_code, 0) << c.row;
    EXPECT_EQ(r.entry(2).long1, c.start) << c.row;
    EXPECT_EQ(r.entry(2).long2, c.end) << c.row;
    int points = 0, approaches = 0;
    for (int i = 10; i <= r.s.last_cell; ++i) {
      points += r.cell(i).kind == kStationPoint;
      approaches += r.cell(i).approach != 0;
    }
    EXPECT_EQ(points, c.point >= 0 ? 1 : 0) << c.row;
    if (c.point >= 0) {
      EXPECT_EQ(r.cell(c.point).paramA, 2) << c.row;
    }
    EXPECT_EQ(approaches, c.approach ? 4 : 0) << c.row;
    if (c.approach) {
      EXPECT_EQ(r.cell(c.point - 1).approach, 81) << c.row;
    }
  }
}

TEST(StationTest, Values5And6AreClearedWhereTheyDoNotApply) {
  const Compiled c = compile_rows("", station(0, 12, 600, 1, 3) + station(10000, 12, 500, 1, 3) +
                                          station(20000, 12, 600, 1, 3));
  EXPECT_EQ(c.entry(1).byte3, 0);  // first station
  EXPECT_EQ(c.entry(1).byte4, 0);
  EXPECT_EQ(c.entry(2).byte3, 1);
  EXPECT_EQ(c.entry(2).byte4, 0);  // shorter than 600 m
  EXPECT_EQ(c.entry(3).byte4, 3);
}

TEST(StationTest, AStationPointReplacesASignal) {
  const Compiled c = compile_rows("", "segnale,   10150,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n" + kLavena +
                                          station(10000, 12, 500));
  EXPECT_EQ(c.s.error_code, 0);
  EXPECT_EQ(c.cell(204).kind, kStationPoint);
}

TEST(StationTest, Faults) {
  const struct {
    const char* name;
    std::string rows;
    int32_t code;
    std::optional<int32_t> position;
  } cases[] = {
      {"off the 50 m grid", kLavena + station(17230, 12, 400), 8, 17230},
      {"length off 100 m", kLavena + station(10000, 12, 450), 9, 10000},
      {"700 m apart", station(10000, 12, 400) + station(10700, 12, 400), 22, 10700},
      {"ends within 100 m", station(0, 8, 100), 24, std::nullopt},
      {"beyond the track", kLavena + station(247500, 12, 400), 15, 247500},
  };
  for (const auto& c : cases) {
    const Compiled r = compile_rows("", c.rows);
    EXPECT_EQ(r.s.error_code, c.code) << c.name;
    ASSERT_FALSE(r.diagnostics.empty()) << c.name;
    EXPECT_EQ(r.diagnostics.back().position, c.position) << c.name;
    EXPECT_EQ(r.diagnostics.back().file, "svc.txt") << c.name;
  }
  EXPECT_EQ(compile_rows("", station(10000, 12, 400) + station(10750, 12, 400)).s.error_code, 0);
}

TEST(StationTest, StationsStopBelowTheBoardTexts) {
  const std::string boards = "cartello_indicatore,  97500,   (Km 208+500)\r\n"
                             "cartello_indicatore,  212400,   (Km 323+402)\r\n";
  std::string rows;
  for (int n = 0; n < 77; ++n) rows += station(1000 + 1000 * n, 28, 200, 0, 0, "S" + std::to_string(n + 1));
  const Compiled c = compile_rows(boards, rows);
  EXPECT_EQ(c.s.error_code, 10);
  EXPECT_EQ(c.entry(77).text, "S77");
  EXPECT_EQ(c.entry(78).text, "");
  EXPECT_EQ(c.entry(79).text, "(Km 323+402)");

  // With 80 boards there is no room for any station: nothing is stored.
  std::string many;
  for (int b = 0; b < 80; ++b) many += "cartello_indicatore,  " + std::to_string(1000 + 500 * b) + ",   B\r\n";
  const Compiled full = compile_rows(many, station(0, 28, 200, 0, 0, "S"));
  EXPECT_EQ(full.s.error_code, 10);
  EXPECT_EQ(full.entry(1).text, "B");
}

}  // namespace
}  // namespace compactor
