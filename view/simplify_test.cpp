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

// The greedy walk with its test written plainly, point by point: the fast
// passes (a sparse look from the far end, two or four points at a time) must
// keep exactly the same points, so that the page's bytes do not depend on
// the processor.
std::vector<int32_t> plain_simplify(const Points& p, int32_t first, int32_t last, double tolerance) {
  const double t2 = tolerance * tolerance;
  auto fits = [&](int32_t a, int32_t e) {
    const double ax = p.x[a], ay = p.y[a];
    const double ex = p.x[e] - ax, ey = p.y[e] - ay;
    const double n2 = ex * ex + ey * ey;
    const double limit = t2 * n2;
    for (int32_t j = a + 1; j < e; ++j) {
      const double vx = p.x[j] - ax, vy = p.y[j] - ay;
      const double c = ex * vy - ey * vx;
      const double d = ex * vx + ey * vy;
      if (c * c > limit || d < 0 || d > n2) return false;
    }
    return true;
  };
  std::vector<int32_t> kept{first};
  int32_t a = first;
  while (a < last) {
    int32_t good = a + 1, bad = -1;
    for (int64_t step = 2;; step *= 2) {
      if (a + step >= last) {
        if (fits(a, last)) good = last;
        else bad = last;
        break;
      }
      const int32_t e = static_cast<int32_t>(a + step);
      if (!fits(a, e)) {
        bad = e;
        break;
      }
      good = e;
    }
    while (bad > good + 1) {
      const int32_t mid = good + (bad - good) / 2;
      if (fits(a, mid)) good = mid;
      else bad = mid;
    }
    kept.push_back(good);
    a = good;
  }
  return kept;
}

TEST(SimplifyPath, KeepsWhatThePlainWalkKeeps) {
  Points noisy = walk({{3000, 0.001}, {2000, 0}, {3000, -0.003}});
  for (size_t i = 0; i < noisy.x.size(); i += 7) noisy.y[i] += 0.08 * ((i / 7) % 3 == 0 ? 1 : -1);
  Points zigzag;
  for (int i = 0; i < 3000; ++i) zigzag.add(i, (i % 5) * 0.03);
  const Points cases[] = {
      walk({{667, 0.0001}, {1333, 0}, {667, -0.0002}, {1333, 0}, {667, 0.0004}, {1333, 0},
            {667, -0.001}, {1333, 0}, {667, 0.002}, {1333, 0}, {667, -0.003}, {500, 0}}),
      noisy,
      zigzag,
  };
  int n = 0;
  for (const Points& p : cases) {
    for (double tolerance : {0.02, 0.09, 0.1, 0.5}) {
      for (const auto& [first, last] : {std::pair{0, p.last()}, std::pair{13, p.last() - 5}, std::pair{100, 110}}) {
        EXPECT_EQ(simplify_path(p.x.data(), p.y.data(), first, last, tolerance), plain_simplify(p, first, last, tolerance))
            << "case " << n << ", tolerance " << tolerance << ", points " << first << " to " << last;
      }
    }
    ++n;
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
