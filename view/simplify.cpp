#include "view/simplify.h"

#include <algorithm>
#include <cmath>

namespace compactor::view {
namespace {

inline double cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double n = dx * dx + dy * dy;
  double t = n > 0 ? ((px - ax) * dx + (py - ay) * dy) / n : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = ax + t * dx - px, ey = ay + t * dy - py;
  return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

// From an anchor a, each later point p seen at distance d > tolerance allows
// the directions within asin(tolerance / d) of its own: a segment from a in
// such a direction passes within the tolerance of p. The walk keeps the
// intersection of these wedges (bounded by the unit directions r, clockwise,
// and l, counter-clockwise) and takes as the segment's end the last point
// whose direction lies in the wedge of all points before it and that is at
// least as far from a as each of them (so that each projects onto the
// segment, not beyond its end). An empty wedge ends the segment.
std::vector<int32_t> simplify_path(const double* x, const double* y, int32_t first, int32_t last,
                                   double tolerance) {
  std::vector<int32_t> kept;
  if (last < first) return kept;
  kept.push_back(first);
  const double t2 = tolerance * tolerance;
  int32_t a = first;
  while (a < last) {
    const double ax = x[a], ay = y[a];
    bool bounded = false;
    double rx = 0, ry = 0, lx = 0, ly = 0;
    double far2 = 0;
    int32_t end = a + 1;
    for (int32_t j = a + 1; j <= last; ++j) {
      const double vx = x[j] - ax, vy = y[j] - ay;
      const double d2 = vx * vx + vy * vy;
      if (d2 >= far2) {
        if (!bounded ||
            (cross(rx, ry, vx, vy) >= 0 && cross(vx, vy, lx, ly) >= 0 && vx * (rx + lx) + vy * (ry + ly) > 0)) {
          end = j;
        }
      }
      far2 = std::max(far2, d2);
      if (d2 <= t2) continue;
      const double d = std::sqrt(d2);
      const double s = tolerance / d;
      const double c = std::sqrt(1 - s * s);
      const double ux = vx / d, uy = vy / d;
      // The directions of v turned by -alpha (right) and +alpha (left).
      const double jrx = ux * c + uy * s, jry = -ux * s + uy * c;
      const double jlx = ux * c - uy * s, jly = ux * s + uy * c;
      if (!bounded) {
        rx = jrx, ry = jry, lx = jlx, ly = jly;
        bounded = true;
        continue;
      }
      // A direction more than a right angle from the wedge's middle is out
      // of it (and would make the comparisons below wrap around).
      if (ux * (rx + lx) + uy * (ry + ly) <= 0) break;
      if (cross(rx, ry, jrx, jry) > 0) rx = jrx, ry = jry;
      if (cross(jlx, jly, lx, ly) > 0) lx = jlx, ly = jly;
      if (cross(rx, ry, lx, ly) < 0) break;
    }
    kept.push_back(end);
    a = end;
  }
  return kept;
}

double simplification_error(const double* x, const double* y, const std::vector<int32_t>& kept) {
  double worst = 0;
  for (size_t k = 1; k < kept.size(); ++k) {
    const int32_t a = kept[k - 1], b = kept[k];
    for (int32_t j = a + 1; j < b; ++j) {
      worst = std::max(worst, segment_distance(x[j], y[j], x[a], y[a], x[b], y[b]));
    }
  }
  return worst;
}

}  // namespace compactor::view
