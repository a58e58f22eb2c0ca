// Gradients, curves and the path, tunnels, speed indicators and direction
// boards, each from a small line description.
#include <cmath>
#include <gtest/gtest.h>

#include "compiler/test_sources.h"

namespace compactor {
namespace {

using testing::compile_rows;
using testing::compile_texts;
using testing::Compiled;
using testing::line_text;
using testing::service_text;

TEST(GradientTest, EachRowAppliesFromItsCellUntilTheNextRow) {
  const Compiled c = compile_rows("pendenza,  6000,   0\r\npendenza,  8000,   6\r\npendenza,  30000,   -15\r\n");
  EXPECT_EQ(c.cell(0).gradientCode, 100);
  EXPECT_EQ(c.cell(159).gradientCode, 100);
  EXPECT_EQ(c.cell(160).gradientCode, 106);
  EXPECT_EQ(c.cell(599).gradientCode, 106);
  EXPECT_EQ(c.cell(600).gradientCode, 85);
  // The last row runs to last cell - 3; the last three cells keep 0.
  EXPECT_EQ(c.cell(4957).gradientCode, 85);
  EXPECT_EQ(c.cell(4958).gradientCode, 0);
  EXPECT_EQ(c.cell(4960).gradientCode, 0);
}

TEST(GradientTest, RowsNearTheStartAndRowsSharingACell) {
  const struct {
    const char* rows;
    int cell;
    uint8_t code;
  } cases[] = {
      {"pendenza,  0,   4\r\n", 0, 104},    // writes nothing: applies from cell 0
      {"pendenza,  25,   4\r\n", 0, 104},   // round(0.5) is 0
      {"pendenza,  75,   4\r\n", 1, 100},   // round(1.5) is 2
      {"pendenza,  75,   4\r\n", 2, 104},
      // Two rows rounding to cell 20: cell 20 keeps the first, 21 on the second.
      {"pendenza,  1000,   4\r\npendenza,  1010,   7\r\n", 20, 104},
      {"pendenza,  1000,   4\r\npendenza,  1010,   7\r\n", 21, 107},
      {"pendenza,  50,   -150\r\n", 1, static_cast<uint8_t>(-50)},  // low 8 bits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compile_rows(c.rows).cell(c.cell).gradientCode, c.code) << c.rows << " cell " << c.cell;
  }
}

TEST(GradientTest, APositionBeyondTheTrackEndsTheLoopWith15) {
  // Last cell 4960: (p + 100) / 50 may reach 4960 and no further.
  EXPECT_EQ(compile_rows("pendenza,  247900,   1\r\n").s.error_code, 0);
  const Compiled c = compile_rows("pendenza,  247901,   1\r\npendenza,  100,   9\r\n");
  EXPECT_EQ(c.s.error_code, 15);
  EXPECT_EQ(c.s.error_position, 247901);
  EXPECT_EQ(c.diagnostics.back().line, 4);
  // The loop ended: the second row was never read; the fill completed.
  EXPECT_EQ(c.cell(2).gradientCode, 100);
}

// The path after a straight run to `start` and `n` curved metres of curvature
// k, in closed form: every curved metre turns the step by atan(k) and
// lengthens it by sqrt(1 + k * k).
void expect_curve_point(const Path& p, int start, int n, double k) {
  const double theta = std::atan(k);
  double x = 0.0, y = start;
  for (int j = 1; j <= n; ++j) {
    const double grow = std::pow(1.0 + k * k, j / 2.0);
    x += grow * std::sin(j * theta);
    y += grow * std::cos(j * theta);
  }
  const size_t i = static_cast<size_t>(start + n);
  EXPECT_NEAR(p.x[i], x, 1e-7 * (1.0 + std::fabs(x))) << "point " << i;
  EXPECT_NEAR(p.y[i], y, 1e-7 * (1.0 + std::fabs(y))) << "point " << i;
}

TEST(CurveTest, TheFirstCurvedPointsFollowTheStepRule) {
  const Compiled c = compile_rows("curvad4,  100,  1000\r\n");
  const Path& p = c.s.path;
  EXPECT_EQ(p.x[100], 0.0);
  EXPECT_EQ(p.y[100], 100.0);
  // Point 101: step (0, 1) turned by k = 0.001.
  EXPECT_EQ(p.x[101], 0.0 + (0.0 + 0.001 * 1.0));
  EXPECT_EQ(p.y[101], 100.0 + (1.0 - 0.001 * 0.0));
  // Point 102: step (0.001, 1) turned again.
  const double dx = p.x[101] - p.x[100], dy = p.y[101] - p.y[100];
  EXPECT_EQ(p.x[102], p.x[101] + (dx + 0.001 * dy));
  EXPECT_EQ(p.y[102], p.y[101] + (dy - 0.001 * dx));
}

TEST(CurveTest, RightAndLeftCurvesAgainstTheClosedForm) {
  const struct {
    const char* row;
    double k;
  } cases[] = {
      {"curvad3,  900,  1000\r\n", 0.0004},
      {"curvas3,  900,  1000\r\n", -0.0004},
      {"curvad6,  900,  250\r\n", 0.003},
      {"curvas1,  900,  3000\r\n", -0.0001},
  };
  for (const auto& c : cases) {
    const Compiled r = compile_rows(c.row);
    for (int n : {1, 10, 100, 250}) expect_curve_point(r.s.path, 900, n, c.k);
  }
  // A right curve heads towards +x, a left one towards -x.
  EXPECT_GT(compile_rows("curvad3,  900,  1000\r\n").s.path.x[2000], 0.0);
  EXPECT_LT(compile_rows("curvas3,  900,  1000\r\n").s.path.x[2000], 0.0);
}

TEST(CurveTest, AfterACurveThePathRunsStraightOnItsLastStep) {
  const Compiled c = compile_rows("curvad4,  100,  100\r\n");
  const Path& p = c.s.path;
  const double dx = p.x[201] - p.x[200], dy = p.y[201] - p.y[200];
  EXPECT_EQ(p.x[202], p.x[201] + dx);
  EXPECT_EQ(p.y[202], p.y[201] + dy);
  EXPECT_EQ(p.next, 248000 - 1);
}

TEST(CurveTest, ClassDigitsAndSides) {
  const struct {
    const char* key;
    int32_t code;
    double k;
  } cases[] = {
      {"curvad12", 0, 0.0001},   // holds "1" first
      {"CurvaD5", 0, 0.002},     // capital C
      {"curvad2", 0, 0.0002},
      {"curvaS6", 0, -0.003},
      {"curvad", 103, 0.0},
      {"curvad7", 103, 0.0},
  };
  for (const auto& c : cases) {
    const Compiled r = compile_rows(std::string(c.key) + ",  100,  10\r\n");
    EXPECT_EQ(r.s.error_code, c.code) << c.key;
    if (c.code == 0) {
      EXPECT_EQ(r.s.path.x[101], c.k) << c.key;
    } else {
      EXPECT_TRUE(r.report.line_consumed);
      EXPECT_FALSE(r.report.service_consumed);
    }
  }
}

TEST(CurveTest, WithoutThePathTheRowIsReadAndDropped) {
  const Compiled c = compile_rows("curvad,  999999,  10\r\npendenza,  100,   3\r\n", "", 0);
  EXPECT_EQ(c.s.error_code, 0);
  EXPECT_EQ(c.cell(2).gradientCode, 103);
  EXPECT_FALSE(c.s.path.allocated);
}

TEST(CurveTest, ACurveRunningPastThePathsLastPointFailsTheReading) {
  const Compiled c = compile_texts(line_text("curvad4,  100,  9000\r\n", 1000), service_text(""));
  EXPECT_EQ(c.s.error_code, 25);
  EXPECT_EQ(c.s.path.next, 8001);
}

TEST(CurveTest, ThePathMayNotPassAMillionPoints) {
  const Compiled c = compile_texts(line_text("curvad4,  999000,  2000\r\n", 1000000), service_text(""));
  EXPECT_EQ(c.s.error_code, 103);
  EXPECT_EQ(c.s.path.next, 1000001);
}

TEST(TunnelTest, TypesMarkersAndTheGapRule) {
  const Compiled c = compile_rows(
      "montagna,   24350,  26350,  11\r\n"   // markers, type 1
      "montagna,   26500,  27000,  2\r\n"    // 150 m after: type 3, no markers
      "montagna,   27200,  28000,  12\r\n"); // 200 m after: keeps 2, markers
  EXPECT_EQ(c.cell(486).tunnel, 0);
  EXPECT_EQ(c.cell(487).tunnel, 1);
  EXPECT_EQ(c.cell(526).tunnel, 1);
  EXPECT_EQ(c.cell(527).tunnel, 0);
  for (int i = 487; i <= 526; ++i) {
    EXPECT_EQ(c.cell(i).kind, (i - 487 + 1) % 4 == 0 ? kTunnelMarker : kPlain) << i;
  }
  EXPECT_EQ(c.cell(530).tunnel, 3);
  EXPECT_EQ(c.cell(539).tunnel, 3);
  EXPECT_EQ(c.cell(533).kind, kPlain);
  EXPECT_EQ(c.cell(544).tunnel, 2);
  EXPECT_EQ(c.cell(547).kind, kTunnelMarker);
  EXPECT_EQ(c.s.tunnel_count, 3);
  EXPECT_EQ(c.s.tunnel_ends[2], 27000);
}

TEST(TunnelTest, CellsAreClippedToTheTrackAndAnEightyFirstTunnelFails) {
  const Compiled clipped = compile_texts(line_text("montagna,   -200,  8500,  1\r\n", 1000), service_text(""));
  EXPECT_EQ(clipped.s.error_code, 0);
  EXPECT_EQ(clipped.cell(0).tunnel, 1);
  EXPECT_EQ(clipped.cell(160).tunnel, 1);

  std::string rows;
  for (int t = 0; t < 81; ++t) {
    rows += "montagna,   " + std::to_string(1000 + 1000 * t) + ",  " + std::to_string(1400 + 1000 * t) +
            ",  1\r\n";
  }
  const Compiled many = compile_rows(rows);
  EXPECT_EQ(many.s.error_code, 25);
  EXPECT_EQ(many.s.tunnel_count, 80);
  EXPECT_EQ(many.cell(20 * 81).tunnel, 0);
}

TEST(IndicatorTest, CellsAndValues) {
  const Compiled c = compile_rows(
      "indicatori_vmax,  2950,  140,  160,  170,  0,  140,  160,  170,  0\r\n"
      "indicatori_vmax,  19150,  100,  105,  110,  2,  100,  105,  110,  2\r\n");
  const struct {
    int cell;
    int16_t a, b, cc, d;
  } want[] = {{60, 2828, 3232, 3434, 0}, {384, 2020, 2121, 2222, 22}};
  for (const auto& w : want) {
    const TrackCell& cell = c.cell(w.cell);
    EXPECT_EQ(cell.kind, kSpeedIndicator);
    EXPECT_EQ(cell.paramA, w.a);
    EXPECT_EQ(cell.paramB, w.b);
    EXPECT_EQ(cell.paramC, w.cc);
    EXPECT_EQ(cell.paramD, w.d);
  }
}

TEST(IndicatorTest, TakesATunnelMarkerButNotASecondIndicator) {
  const Compiled marker = compile_rows("montagna,   24350,  26350,  11\r\n"
                                       "indicatori_vmax,  24450,  100,  100,  100,  0,  100,  100,  100,  0\r\n");
  EXPECT_EQ(marker.s.error_code, 0);
  EXPECT_EQ(marker.cell(490).kind, kSpeedIndicator);

  const Compiled twice = compile_rows("indicatori_vmax,  2950,  1,  1,  1,  0,  1,  1,  1,  0\r\n"
                                      "indicatori_vmax,  2960,  1,  1,  1,  0,  1,  1,  1,  0\r\n");
  EXPECT_EQ(twice.s.error_code, 21);
  EXPECT_EQ(twice.s.error_position, 2960);
  EXPECT_EQ(twice.diagnostics.back().line, 5);
  EXPECT_FALSE(twice.report.service_consumed);
}

TEST(IndicatorTest, AValueOutside16BitsFailsTheReading) {
  const Compiled c = compile_rows("indicatori_vmax,  2950,  1700,  1,  1,  0,  1,  1,  1,  0\r\n");
  EXPECT_EQ(c.s.error_code, 25);
}

TEST(DirectionBoardTest, CellsAndEntriesFromTheTopDown) {
  const Compiled c = compile_rows("cartello_indicatore,  97500,   (Km 208+500)\r\n"
                                  "cartello_indicatore,  212400,   (Km 323+402)\r\n");
  EXPECT_EQ(c.cell(1951).kind, kDirectionBoard);
  EXPECT_EQ(c.cell(1951).paramA, 80);
  EXPECT_EQ(c.entry(80).text, "(Km 208+500)");
  EXPECT_EQ(c.cell(4249).kind, kDirectionBoard);
  EXPECT_EQ(c.cell(4249).paramA, 79);
  EXPECT_EQ(c.entry(79).text, "(Km 323+402)");
}

TEST(DirectionBoardTest, AnOccupiedCellAndAnEightyFirstBoard) {
  const Compiled occupied = compile_rows("indicatori_vmax,  2950,  1,  1,  1,  0,  1,  1,  1,  0\r\n"
                                         "cartello_indicatore,  2950,   x\r\n");
  EXPECT_EQ(occupied.s.error_code, 6);
  EXPECT_EQ(occupied.s.error_position, 2950);

  std::string rows;
  for (int b = 0; b < 81; ++b) rows += "cartello_indicatore,  " + std::to_string(1000 + 500 * b) + ",   B\r\n";
  const Compiled many = compile_rows(rows);
  EXPECT_EQ(many.s.error_code, 25);
  EXPECT_EQ(many.entry(1).text, "B");
  EXPECT_EQ(many.cell(1000 / 50 + 1 + 80 * 10).kind, kPlain);
}

}  // namespace
}  // namespace compactor
