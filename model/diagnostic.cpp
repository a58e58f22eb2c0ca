#include "model/diagnostic.h"

#include <algorithm>
#include <string_view>

namespace compactor {

namespace {
constexpr size_t kLongestShownLine = 160;
}

Excerpt make_excerpt(std::string_view line, int column0) {
  Excerpt e;
  size_t from = 0;
  if (column0 < 0) column0 = 0;
  if (line.size() > kLongestShownLine && static_cast<size_t>(column0) > 40) {
    from = static_cast<size_t>(column0) - 40;
  }
  const std::string_view shown = line.substr(std::min(from, line.size()), kLongestShownLine);
  e.caret = column0 - static_cast<int>(from);
  e.source_line.reserve(shown.size());
  for (char c : shown) {
    const unsigned char u = static_cast<unsigned char>(c);
    e.source_line += (u < 0x20 && c != '\t') || u == 0x7f ? '?' : c;
  }
  return e;
}

const char* error_message(int32_t code) {
  switch (code) {
    case 0: return "no fault";
    case 1: return "line length above 1000000 m";
    case 2: return "a kilometric progressive's start or kilometre value is not a multiple of 50";
    case 3: return "signal repetition start is not a multiple of 50";
    case 4: return "signal repetition end is not a multiple of 50";
    case 5: return "signal repetition key holds neither \"4\" nor \"9\"";
    case 6: return "direction board on an occupied cell";
    case 7: return "speed reduction point on an occupied cell";
    case 8: return "station position is not a multiple of 50";
    case 9: return "station length is not a multiple of 100";
    case 10: return "station table full";
    case 11: return "no room for a speed reduction point in front of a signal near a slowdown warning";
    case 12: return "no room for a speed reduction point in a window before a slowdown start";
    case 13: return "no room for a speed reduction point along or after a slowdown";
    case 15: return "position beyond the track";
    case 16: return "signal on an occupied cell";
    case 17: return "slowdown warning cell occupied";
    case 18: return "slowdown start cell occupied";
    case 19: return "slowdown end cell occupied";
    case 20: return "slowdown approach cells occupied";
    case 21: return "speed indicator on an occupied cell";
    case 22: return "station platform too close to the previous one";
    case 24: return "station platform ends within 100 m of the line's start";
    case 25: return "the reading failed";
    case 101: return "the line description is missing";
    case 102: return "the line description has no \"[generale]\"";
    case 1250: return "a reserved field of the model is in use (entry 85's int1 or cell 1's paramA)";
    case 1251: return "a reserved field of the model is in use (entry 85's long4 or cell 1's paramB)";
    case 103: return "curve key names no class 1 to 6, or the path passes 1000000 points";
    default: return "unknown fault";
  }
}

}  // namespace compactor
