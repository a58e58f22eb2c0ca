// Simplification of the path for drawing: of a run of points, keeps those
// that a greedy walk needs so that every point left out lies within the
// tolerance of the segment drawn in its place. No recursion; a 1000000-point
// path takes a few milliseconds.
// Depends on nothing.
#pragma once

#include <cstdint>
#include <vector>

namespace compactor::view {

// Indices of the points of x[first..last], y[first..last] to draw, first and
// last included, in ascending order. Every point between two kept points lies
// within `tolerance` of the segment between them.
std::vector<int32_t> simplify_path(const double* x, const double* y, int32_t first, int32_t last,
                                   double tolerance);

// The largest distance from a point of x[first..last] to the segment drawn
// in its place: what simplify_path promises to keep within its tolerance.
double simplification_error(const double* x, const double* y, const std::vector<int32_t>& kept);

}  // namespace compactor::view
