// The text dumps and JSON objects of small decoded files.
#include "inspect/inspect.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

namespace compactor::inspect {
namespace {

std::string track_json(const std::string& file, const TrackCells& cells, bool all) {
  StringSink out;
  write_track_json(file, cells, all, out);
  return out.bytes;
}

std::string path_json(const std::string& file, const Path& p, std::optional<PointRange> range) {
  StringSink out;
  write_path_json(file, p, range, out);
  return out.bytes;
}

TrackCells small_track() {
  TrackCells cells(6);
  for (TrackCell& c : cells) c.gradientCode = 100, c.speedStep = 20, c.adhesion = 100;
  cells[1] = TrackCell{1, 5121, 3174, 11, 8, 0, 0, 0, 20, 100, 100};
  cells[2].approach = 21;        // only an approach code: not shown
  cells[3].gradientCode = 89;    // gradient -11 from here
  cells[3].tunnel = 1;
  cells[4].gradientCode = 89;
  cells[4].tunnel = 1;
  cells[4].kind = 99;            // no kind the compiler makes
  cells[5] = TrackCell{};        // the last cells keep 0
  return cells;
}

TEST(InspectTrack, TextShowsFeaturesAndChangesOnly) {
  EXPECT_EQ(track_text("t.dat", small_track(), false),
            "t.dat: track file, 6 cells, last cell 5: a line of -6700 m, within 50 m\n"
            "    cell         m  kind                       fields not 0\n"
            "       0         0  plain track                speed 100 km/h, adhesion 100\n"
            "       1        50  signal                     paramA 5121, paramB 3174, paramC 11, paramD 8, speed 100 km/h, adhesion 100\n"
            "       3       150  plain track                tunnel 1, speed 100 km/h, gradient -11, adhesion 100\n"
            "       4       200  kind 99                    tunnel 1, speed 100 km/h, gradient -11, adhesion 100\n"
            "       5       250  plain track                gradient -100\n");
  EXPECT_EQ(shown_cells(small_track(), true).size(), 6u);
}

TEST(InspectTrack, JsonListsTheShownCellsWithTheModelsNames) {
  const std::string text = track_json("t.dat", small_track(), false);
  const auto j = nlohmann::json::parse(text);
  EXPECT_EQ(j["last_cell"], 5);
  ASSERT_EQ(j["cells"].size(), 5u);
  const std::string want =
            R"({"file": "t.dat", "type": "track", "last_cell": 5, "cells": [{"cell": 0, "kind": 0, "paramA": 0, )"
            R"("paramB": 0, "paramC": 0, "paramD": 0, "signalTime": 0, "approach": 0, "tunnel": 0, "speedStep": 20, )"
            R"("gradientCode": 100, "adhesion": 100}, {"cell": 1, "kind": 1, "paramA": 5121, "paramB": 3174, "paramC": 11, )"
            R"("paramD": 8, "signalTime": 0, "approach": 0, "tunnel": 0, "speedStep": 20, "gradientCode": 100, "adhesion": 100}, )";
  EXPECT_EQ(text.substr(0, want.size()), want);
  EXPECT_EQ(nlohmann::json::parse(track_json("t.dat", small_track(), true))["cells"].size(), 6u);
}

Table small_table() {
  Table t{};
  t[1] = TableEntry{0, 1000, 1400, 1400, 0, "Lavena", 0, 0, 0, 0, 0, 1, 0, 0, 4, 58380};
  t[2] = TableEntry{2, 5000, 5400, 5400, 1, "Codr\xe0no", 7, 8, 10, 11, 12, 9, 13, 6, 5, 58980};
  t[80].text = "(Km 208+500)";
  t[79].text = "(Km 323+402)";
  t[81].long1 = 0, t[81].long2 = 111000;
  t[84].long1 = 135, t[84].long2 = 241000, t[84].long3 = 12;
  t[85].long1 = 1, t[85].long2 = 3, t[85].long3 = 2;
  t[85].text = "Lavena_Codrano2";
  t[85].int1 = 610;
  t[85].long4 = 31811;
  t[86].long1 = 0, t[86].long2 = 239000, t[86].long3 = 4;
  t[86].text = "ES 2718";
  t[86].int1 = 60, t[86].int3 = 16, t[86].int4 = 12, t[86].int5 = 40;
  return t;
}

TEST(InspectTable, TextByRole) {
  TrackCells track = small_track();
  track[1].paramB = 1000;
  EXPECT_EQ(table_text("t.sim", small_table(), ExpectedCodes{31811, 1001}, &track),
            "t.sim: table file, 87 entries\n"
            "stations: 2\n"
            "  1 \"Lavena\": platform 1000 to 1400 m, position 1400 m, type 0, values 4:0 5:4 6:0 7:0 8:0 9:1 10:0 11:0 12:0 13:0, time 16:13:00\n"
            "  2 \"Codràno\": platform 5000 to 5400 m, position 5400 m, type 2, values 4:1 5:5 6:6 7:7 8:8 9:9 10:10 11:11 12:12 13:13, time 16:23:00\n"
            "direction boards: 2\n"
            "  80 \"(Km 208+500)\"\n"
            "  79 \"(Km 323+402)\"\n"
            "progressives:\n"
            "  81 from 0 m, kilometre 111000 m, flag 0\n"
            "  82 from 0 m, kilometre 0 m, flag 0\n"
            "  83 from 0 m, kilometre 0 m, flag 0\n"
            "line and train data (84): braked mass 135 %, line length 241000 m, coaches 12\n"
            "line data (85): scenario \"Lavena_Codrano2\", backgrounds one 1, two 2, three 3\n"
            "train data (86): train \"ES 2718\", signal repetition 0 to 239000 m code 4, sand 60, clock 16:12:40\n"
            "stamp 610 (entry 85 int1): 610, matches\n"
            "stamp 5121 (cell 1 paramA): 5121, matches\n"
            "competition code (entry 85 long4): 31811, matches the names \"ES 2718\" and \"Lavena_Codrano2\" (31811)\n"
            "competition code (cell 1 paramB): 1000, DOES NOT MATCH the names \"ES 2718\" and \"Lavena_Codrano2\" (1001)\n");
}

TEST(InspectTable, FieldsOutsideTheirRoleAreShown) {
  Table t = small_table();
  t[84].int2 = -3;
  t[40].long4 = 9;  // between the stations and the boards
  const std::string text = table_text("t.sim", t, ExpectedCodes{31811, 0}, nullptr);
  EXPECT_NE(text.find("coaches 12 (also int2 -3)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  entry 40, neither station nor board: text \"\" (also long4 9)\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("cell 1"), std::string::npos);  // no track given
}

TEST(InspectTable, JsonHasAll87EntriesTextsInUtf8) {
  const auto j = table_json("t.sim", small_table());
  ASSERT_EQ(j["entries"].size(), 87u);
  EXPECT_EQ(j["entries"][2]["text"], "Codr\u00e0no");
  EXPECT_EQ(j["entries"][86].dump(),
            R"({"entry":86,"kind":0,"long1":0,"long2":239000,"long3":4,"flag":0,"text":"ES 2718",)"
            R"("int1":60,"int2":0,"int3":16,"int4":12,"int5":40,"byte1":0,"byte2":0,"byte3":0,"byte4":0,"long4":0})");
}

// The path as the compiler builds it: straight up to `start`, then turning
// by k for `length` metres, then straight, the last two points empty.
Path turning_path(int32_t end, int64_t start, int64_t length, double k) {
  Path p;
  p.end = end;
  p.allocated = true;
  p.origin_set = true;
  p.x.assign(static_cast<size_t>(end) + 1, 0.0);
  p.y.assign(static_cast<size_t>(end) + 1, 0.0);
  p.y[1] = 1.0;
  for (int64_t c = 2; c <= end - 2; ++c) {
    const size_t i = static_cast<size_t>(c);
    const double dx = p.x[i - 1] - p.x[i - 2], dy = p.y[i - 1] - p.y[i - 2];
    const double t = (c > start && c <= start + length) ? k : 0.0;
    p.x[i] = p.x[i - 1] + (dx + t * dy);
    p.y[i] = p.y[i - 1] + (dy - t * dx);
  }
  p.next = end - 1;
  return p;
}

TEST(InspectPath, CurvedStretchesGiveTheirClassAndSide) {
  const Path p = turning_path(2000, 100, 300, -0.0004);
  const std::vector<CurvedStretch> one = curved_stretches(p);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].from, 100);
  EXPECT_EQ(one[0].to, 400);
  EXPECT_EQ(one[0].side, 's');
  EXPECT_EQ(one[0].curve_class, 3);
  EXPECT_NEAR(one[0].k, -0.0004, 1e-12);

  const Path straight = turning_path(2000, 0, 0, 0.0);
  EXPECT_TRUE(curved_stretches(straight).empty());
}

TEST(InspectPath, TextSummary) {
  const Path p = turning_path(1000, 100, 200, 0.003);
  EXPECT_EQ(path_text("p.dat", p),
            "p.dat: path file, 1001 points (path end 1000: a line of -6000 m)\n"
            "tags: points 0 and 1 16-bit integers, points 2 to 998 reals, points 999 to 1000 empty\n"
            "first computed: point 2 (0.000, 2.000), last computed: point 998 (453.013, 864.813)\n"
            "bounding box: x 0.000 to 453.013, y 0.000 to 864.813\n"
            "length along the path: 998.719 m, points 0 to 998\n"
            "curved stretches: 1\n"
            "   from m      to m    length  side  class  k\n"
            "      100       300       200  d     6      0.003\n");
}

TEST(InspectPath, PointsAndJsonHoldTheTagsAndTheShortestReals) {
  Path p = turning_path(9, 3, 2, 0.001);
  p.x[6] = 0.1;
  p.y[6] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(points_text(p, {0, 9}),
            "point 0: x 0, y 0 (16-bit integers)\n"
            "point 1: x 0, y 1 (16-bit integers)\n"
            "point 2: x 0, y 2\n"
            "point 3: x 0, y 3\n"
            "point 4: x 0.001, y 4\n"
            "point 5: x 0.003, y 4.999999\n"
            "point 6: x 0.1, y nan\n"
            "point 7: x 0.007, y 6.999997\n"
            "point 8: empty\n"
            "point 9: empty\n");
  EXPECT_EQ(points_text(p, {8, 20}), "point 8: empty\npoint 9: empty\n");
  EXPECT_EQ(path_json("p.dat", p, std::nullopt),
            R"({"file": "p.dat", "type": "path", "points": 10, "from": 0, )"
            R"("x": [0, 0, 0, 0, 0.001, 0.003, 0.1, 0.007, null, null], )"
            R"("y": [0, 1, 2, 3, 4, 4.999999, null, 6.999997, null, null]})");
  EXPECT_EQ(path_json("p.dat", p, PointRange{6, 7}),
            R"({"file": "p.dat", "type": "path", "points": 10, "from": 6, "x": [0.1, 0.007], "y": [null, 6.999997]})");
  const auto parsed = nlohmann::json::parse(path_json("p.dat", p, std::nullopt));
  for (size_t i = 2; i < 6; ++i) EXPECT_EQ(parsed["x"][i].get<double>(), p.x[i]) << i;
}

// A long path's values are formatted on two threads: the same text.
TEST(InspectPath, TheJsonOfALongPathIsWrittenTheSameWay) {
  const Path p = turning_path(100000, 1000, 5000, 0.002);
  std::string want = R"({"file": "p.dat", "type": "path", "points": 100001, "from": 0, "x": [)";
  for (int c = 0; c < 2; ++c) {
    const PathValues& v = c == 0 ? p.x : p.y;
    if (c == 1) want += "], \"y\": [";
    for (int32_t i = 0; i <= p.end; ++i) {
      if (i > 0) want += ", ";
      want += i < 2 ? std::to_string(static_cast<int>(v[static_cast<size_t>(i)]))
              : i < p.next ? shortest(v[static_cast<size_t>(i)])
                           : "null";
    }
  }
  want += "]}";
  EXPECT_EQ(path_json("p.dat", p, std::nullopt), want);
}

TEST(InspectShortest, RealsReadBackToTheSameBits) {
  for (double v : {0.1, 1.0 / 3, 1e-7, 123456.78901234567, -0.0, 5e-324, 1.7976931348623157e308}) {
    const std::string s = shortest(v);
    const double back = std::strtod(s.c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&back, &v, sizeof v), 0) << s;
  }
  EXPECT_EQ(shortest(0.1), "0.1");
  EXPECT_EQ(shortest(2.0), "2");
  EXPECT_EQ(shortest(std::numeric_limits<double>::infinity()), "inf");
}

}  // namespace
}  // namespace compactor::inspect
