#include "view/simplify.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
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

// The segment from a to e, and the test of one point against it. No square
// root: the distance test is cross(e - a, p - a)^2 <= tolerance^2 |e - a|^2;
// the projection must fall on the segment. Every pass below computes it
// with these operations in this order, so they all agree on every point.
struct Segment {
  double ax, ay, ex, ey, n2, limit;
  Segment(const double* x, const double* y, int32_t a, int32_t e, double t2)
      : ax(x[a]), ay(y[a]), ex(x[e] - x[a]), ey(y[e] - y[a]), n2(ex * ex + ey * ey), limit(t2 * n2) {}
  bool bad(double px, double py) const {
    const double vx = px - ax, vy = py - ay;
    const double c = ex * vy - ey * vx;
    const double d = ex * vx + ey * vy;
    return (c * c > limit) | (d < 0) | (d > n2);
  }
};

// Whether any point of x[from..to) is out: two points at a time, in one
// pass without branches.
bool any_bad_sse2(const Segment& g, const double* x, const double* y, int32_t from, int32_t to) {
  int32_t j = from;
#if defined(__SSE2__)
  const __m128d vax = _mm_set1_pd(g.ax), vay = _mm_set1_pd(g.ay);
  const __m128d vex = _mm_set1_pd(g.ex), vey = _mm_set1_pd(g.ey);
  const __m128d vlimit = _mm_set1_pd(g.limit), vn2 = _mm_set1_pd(g.n2), zero = _mm_setzero_pd();
  __m128d bad2 = _mm_setzero_pd();
  for (; j + 1 < to; j += 2) {
    const __m128d vx = _mm_sub_pd(_mm_loadu_pd(x + j), vax);
    const __m128d vy = _mm_sub_pd(_mm_loadu_pd(y + j), vay);
    const __m128d c = _mm_sub_pd(_mm_mul_pd(vex, vy), _mm_mul_pd(vey, vx));
    const __m128d d = _mm_add_pd(_mm_mul_pd(vex, vx), _mm_mul_pd(vey, vy));
    bad2 = _mm_or_pd(bad2, _mm_cmpgt_pd(_mm_mul_pd(c, c), vlimit));
    bad2 = _mm_or_pd(bad2, _mm_cmplt_pd(d, zero));
    bad2 = _mm_or_pd(bad2, _mm_cmpgt_pd(d, vn2));
  }
  if (_mm_movemask_pd(bad2) != 0) return true;
#endif
  bool bad = false;
  for (; j < to; ++j) bad |= g.bad(x[j], y[j]);
  return bad;
}

#if defined(__GNUC__) && defined(__x86_64__)
#define COMPACTOR_VIEW_AVX 1
// The same, four points at a time, on processors with AVX (chosen at run
// time; the operations are the same IEEE ones, so the answer is too), with
// one look every 64 points.
__attribute__((target("avx"))) bool any_bad_avx(const Segment& g, const double* x, const double* y, int32_t from,
                                                int32_t to) {
  const __m256d vax = _mm256_set1_pd(g.ax), vay = _mm256_set1_pd(g.ay);
  const __m256d vex = _mm256_set1_pd(g.ex), vey = _mm256_set1_pd(g.ey);
  const __m256d vlimit = _mm256_set1_pd(g.limit), vn2 = _mm256_set1_pd(g.n2), zero = _mm256_setzero_pd();
  int32_t j = from;
  while (j + 3 < to) {
    __m256d bad4 = _mm256_setzero_pd();
    const int32_t block_end = std::min(to, j + 64);
    for (; j + 3 < block_end; j += 4) {
      const __m256d vx = _mm256_sub_pd(_mm256_loadu_pd(x + j), vax);
      const __m256d vy = _mm256_sub_pd(_mm256_loadu_pd(y + j), vay);
      const __m256d c = _mm256_sub_pd(_mm256_mul_pd(vex, vy), _mm256_mul_pd(vey, vx));
      const __m256d d = _mm256_add_pd(_mm256_mul_pd(vex, vx), _mm256_mul_pd(vey, vy));
      bad4 = _mm256_or_pd(bad4, _mm256_cmp_pd(_mm256_mul_pd(c, c), vlimit, _CMP_GT_OQ));
      bad4 = _mm256_or_pd(bad4, _mm256_cmp_pd(d, zero, _CMP_LT_OQ));
      bad4 = _mm256_or_pd(bad4, _mm256_cmp_pd(d, vn2, _CMP_GT_OQ));
    }
    if (_mm256_movemask_pd(bad4) != 0) return true;
  }
  bool bad = false;
  for (; j < to; ++j) bad |= g.bad(x[j], y[j]);
  return bad;
}

bool have_avx() {
  static const bool avx = __builtin_cpu_supports("avx");
  return avx;
}
#endif

// Whether every point strictly between a and e lies within the tolerance of
// the segment a-e and projects onto it. Where a segment does not fit, it
// mostly fails over a stretch and most often at its far end (the track
// turning away past a straight), so every 16th point from that end is looked
// at first; then every point.
bool fits(const double* x, const double* y, int32_t a, int32_t e, double t2) {
  const Segment g(x, y, a, e, t2);
  for (int32_t j = e - 1; j > a; j -= 16) {
    if (g.bad(x[j], y[j])) return false;
  }
#if defined(COMPACTOR_VIEW_AVX)
  if (have_avx()) return !any_bad_avx(g, x, y, a + 1, e);
#endif
  return !any_bad_sse2(g, x, y, a + 1, e);
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
