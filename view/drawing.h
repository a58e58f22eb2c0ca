// The two drawings of the view: the plan (the path in true proportion, with
// every item at its place on it) and the profile (lanes over one position
// axis). Both are standalone SVG elements that follow the DOM contract of
// view/view.h.
// Depends on model/, view/items.h and view/text.h.
#pragma once

#include <string>
#include <vector>

#include "view/items.h"
#include "view/text.h"

namespace compactor::view {

// The largest distance, in metres, between the drawn path and the computed
// points: the simplification's tolerance plus the rounding of the written
// coordinates to hundredths.
inline constexpr double kPathTolerance = 0.09;
inline constexpr double kDrawnTolerance = 0.1;

// The profile's width in its own units (the plot spans kProfileLeft to
// kProfileWidth - kProfileRight).
inline constexpr double kProfileWidth = 1200;
inline constexpr double kProfileLeft = 70;
inline constexpr double kProfileRight = 10;

Text plan_svg(const Scenario& s, const Items& items);
Text profile_svg(const Scenario& s, const Items& items);

// Appends the path drawing of metres first to last (points of the path) as
// SVG path data in plan coordinates (x east, y south: the plan's north is up).
void append_path_data(Text& out, const Scenario& s, int32_t first, int32_t last);

}  // namespace compactor::view
