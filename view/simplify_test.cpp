// The path simplification: every point left out stays within the tolerance of
// the segment drawn in its place, whatever the path does, and straight runs
// collapse to their ends.
#include "view/simplify.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace compactor::view {
namespace {

struct Points {
  std::vector<double> x, y;
  void add(double px, double py) {
    x.push_back(px);
    y.push_back(py);
  }
  int32_t last() const { return static_cast<int32_t>(x.size()) - 1; }
};

// Metre by metre, as the compiler extends the path: a heading turned by k
// per metre (the step is not renormalised).
Points walk(const std::vector<std::pair<int, double>>& runs) {
  Points p;
  p.add(0, 0);
  p.add(0, 1);
  for (const auto& [metres, k] : runs) {
    for (int i = 0; i < metres; ++i) {
      const size_t n = p.x.size();
      const double dx = p.x[n - 1] - p.x[n - 2], dy = p.y[n - 1] - p.y[n - 2];
      p.add(p.x[n - 1] + dx + k * dy, p.y[n - 1] + dy - k * dx);
    }
  }
  return p;
}

TEST(SimplifyPath, EveryPointStaysWithinTheTolerance) {
  struct Case {
    const char* name;
    Points points;
  };
  Points zigzag;
  for (int i = 0; i < 2000; ++i) zigzag.add(i, (i % 2) * 0.25);
  Points hairpin;  // out and back along the same line: projections must not run past an end
  for (int i = 0; i <= 500; ++i) hairpin.add(0, i);
  for (int i = 499; i >= 0; --i) hairpin.add(0.05, i);
  Points repeated;
  for (int i = 0; i < 50; ++i) repeated.add(3, 4);
  const Case cases[] = {
      {"tightest curve, several full turns", walk({{7000, 0.003}})},
      {"alternating curves of every class",
       walk({{667, 0.0001}, {1333, 0}, {667, -0.0002}, {1333, 0}, {667, 0.0004}, {1333, 0},
             {667, -0.001}, {1333, 0}, {667, 0.002}, {1333, 0}, {667, -0.003}, {500, 0}})},
      {"zigzag wider than the tolerance", zigzag},
      {"hairpin", hairpin},
      {"one point repeated", repeated},
  };
  for (const Case& c : cases) {
    for (double tolerance : {0.09, 0.5}) {
      const std::vector<int32_t> kept =
          simplify_path(c.points.x.data(), c.points.y.data(), 0, c.points.last(), tolerance);
      ASSERT_FALSE(kept.empty()) << c.name;
      EXPECT_EQ(kept.front(), 0) << c.name;
      EXPECT_EQ(kept.back(), c.points.last()) << c.name;
      for (size_t i = 1; i < kept.size(); ++i) ASSERT_LT(kept[i - 1], kept[i]) << c.name;
      EXPECT_LE(simplification_error(c.points.x.data(), c.points.y.data(), kept), tolerance) << c.name;
    }
  }
}

TEST(SimplifyPath, StraightRunsCollapseAndCurvesKeepWhatTheyNeed) {
  const Points straight = walk({{100000, 0}});
  EXPECT_EQ(simplify_path(straight.x.data(), straight.y.data(), 0, straight.last(), 0.09).size(), 2u);

  // A radius of 333 m allows chords of about sqrt(8 R t) = 15.5 m at 0.09 m:
  // a 667 m curve needs some 43 of them, not one per metre.
  const Points curve = walk({{667, 0.003}});
  const size_t n = simplify_path(curve.x.data(), curve.y.data(), 0, curve.last(), 0.09).size();
  EXPECT_GE(n, 40u);
  EXPECT_LE(n, 60u);

  // A part of the points: the range's ends are kept, nothing outside it is looked at.
  const std::vector<int32_t> part = simplify_path(curve.x.data(), curve.y.data(), 100, 200, 0.09);
  EXPECT_EQ(part.front(), 100);
  EXPECT_EQ(part.back(), 200);
  EXPECT_TRUE(simplify_path(curve.x.data(), curve.y.data(), 5, 4, 0.09).empty());
  EXPECT_EQ(simplify_path(curve.x.data(), curve.y.data(), 7, 7, 0.09), std::vector<int32_t>{7});
}

}  // namespace
}  // namespace compactor::view
