#include "view/simplify.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace compactor::view {
namespace {

double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double n = dx * dx + dy * dy;
  double t = n > 0 ? ((px - ax) * dx + (py - ay) * dy) / n : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = ax + t * dx - px, ey = ay + t * dy - py;
  return std::sqrt(ex * ex + ey * ey);
}

// Whether every point strictly between a and e lies within the tolerance of
// the segment a-e and projects onto it. No square root: the distance test
// is cross(e - a, p - a)^2 <= tolerance^2 |e - a|^2. One pass without
// branches, so the compiler can vectorise it.
bool fits(const double* x, const double* y, int32_t a, int32_t e, double t2) {
  const double ax = x[a], ay = y[a];
  const double ex = x[e] - ax, ey = y[e] - ay;
  const double n2 = ex * ex + ey * ey;
  const double limit = t2 * n2;
  int32_t j = a + 1;
#if defined(__SSE2__)
  // Two points at a time; the same operations, in the same order, as below.
  const __m128d vax = _mm_set1_pd(ax), vay = _mm_set1_pd(ay);
  const __m128d vex = _mm_set1_pd(ex), vey = _mm_set1_pd(ey);
  const __m128d vlimit = _mm_set1_pd(limit), vn2 = _mm_set1_pd(n2), zero = _mm_setzero_pd();
  __m128d bad2 = _mm_setzero_pd();
  for (; j + 1 < e; j += 2) {
    const __m128d vx = _mm_sub_pd(_mm_loadu_pd(x + j), vax);
    const __m128d vy = _mm_sub_pd(_mm_loadu_pd(y + j), vay);
    const __m128d c = _mm_sub_pd(_mm_mul_pd(vex, vy), _mm_mul_pd(vey, vx));
    const __m128d d = _mm_add_pd(_mm_mul_pd(vex, vx), _mm_mul_pd(vey, vy));
    bad2 = _mm_or_pd(bad2, _mm_cmpgt_pd(_mm_mul_pd(c, c), vlimit));
    bad2 = _mm_or_pd(bad2, _mm_cmplt_pd(d, zero));
    bad2 = _mm_or_pd(bad2, _mm_cmpgt_pd(d, vn2));
  }
  if (_mm_movemask_pd(bad2) != 0) return false;
#endif
  bool bad = false;
  for (; j < e; ++j) {
    const double vx = x[j] - ax, vy = y[j] - ay;
    const double c = ex * vy - ey * vx;
    const double d = ex * vx + ey * vy;
    bad |= (c * c > limit) | (d < 0) | (d > n2);
  }
  return !bad;
}

}  // namespace

// Greedy: from each kept point, the farthest end found by doubling the
// segment while it fits and then halving the gap between the last length
// that fitted and the first that did not. Each segment drawn is checked
// against every point it replaces, so the tolerance holds whatever the
// path does; a straight kilometre costs some two thousand checks.
std::vector<int32_t> simplify_path(const double* x, const double* y, int32_t first, int32_t last,
                                   double tolerance) {
  std::vector<int32_t> kept;
  if (last < first) return kept;
  kept.push_back(first);
  const double t2 = tolerance * tolerance;
  int32_t a = first;
  while (a < last) {
    int32_t good = a + 1;  // a segment of one step replaces nothing
    int32_t bad = -1;
    for (int64_t step = 2;; step *= 2) {
      if (a + step >= last) {
        if (fits(x, y, a, last, t2)) good = last;
        else bad = last;
        break;
      }
      const int32_t e = static_cast<int32_t>(a + step);
      if (!fits(x, y, a, e, t2)) {
        bad = e;
        break;
      }
      good = e;
    }
    while (bad > good + 1) {
      const int32_t mid = good + (bad - good) / 2;
      if (fits(x, y, a, mid, t2)) good = mid;
      else bad = mid;
    }
    kept.push_back(good);
    a = good;
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
