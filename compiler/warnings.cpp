#include "compiler/warnings.h"

#include <algorithm>
#include <cstdlib>

namespace compactor {
namespace {

constexpr const char* kNames[kWarningNameCount] = {
    "unknown-key", "row-shape",   "unordered", "truncated", "speed-step", "board-km",
    "overwritten", "clipped",     "timetable", "multi-key", "off-grid",
};

}  // namespace

const char* warning_name(WarningName w) { return kNames[static_cast<int>(w)]; }

std::optional<WarningName> warning_by_name(std::string_view name) {
  for (int i = 0; i < kWarningNameCount; ++i) {
    if (name == kNames[i]) return static_cast<WarningName>(i);
  }
  return std::nullopt;
}

bool on_by_default(WarningName w) { return w != WarningName::kOffGrid; }

WarningSet WarningSet::defaults() {
  WarningSet s;
  for (int i = 0; i < kWarningNameCount; ++i) {
    s.set(static_cast<WarningName>(i), on_by_default(static_cast<WarningName>(i)));
  }
  return s;
}

WarningSet WarningSet::all() {
  WarningSet s;
  for (int i = 0; i < kWarningNameCount; ++i) s.set(static_cast<WarningName>(i), true);
  return s;
}

int edit_distance(std::string_view a, std::string_view b, int limit) {
  const int la = static_cast<int>(a.size()), lb = static_cast<int>(b.size());
  if (std::abs(la - lb) > limit) return limit + 1;
  std::vector<int> row(static_cast<size_t>(lb) + 1);
  for (int j = 0; j <= lb; ++j) row[static_cast<size_t>(j)] = j;
  for (int i = 1; i <= la; ++i) {
    int diagonal = row[0];
    row[0] = i;
    int best = row[0];
    for (int j = 1; j <= lb; ++j) {
      const int up = row[static_cast<size_t>(j)];
      const int cost = a[static_cast<size_t>(i - 1)] == b[static_cast<size_t>(j - 1)] ? 0 : 1;
      row[static_cast<size_t>(j)] =
          std::min({up + 1, row[static_cast<size_t>(j - 1)] + 1, diagonal + cost});
      diagonal = up;
      best = std::min(best, row[static_cast<size_t>(j)]);
    }
    if (best > limit) return limit + 1;
  }
  return std::min(row[static_cast<size_t>(lb)], limit + 1);
}

std::optional<std::string> apply_warning_flags(const std::vector<std::string>& values,
                                               WarningFlags& flags) {
  for (const std::string& v : values) {
    if (v == "all") {
      flags.enabled = WarningSet::all();
    } else if (v == "error") {
      flags.werror = true;
    } else if (v == "no-error") {
      flags.werror = false;
    } else {
      const bool off = v.rfind("no-", 0) == 0;
      const std::string name = off ? v.substr(3) : v;
      const std::optional<WarningName> w = warning_by_name(name);
      if (!w) {
        std::string known;
        for (int i = 0; i < kWarningNameCount; ++i) {
          known += (i ? ", " : "") + std::string(kNames[i]);
        }
        return "unknown warning \"" + name + "\" in -W" + v + " (warnings: " + known +
               "; and -Wall, -Werror)";
      }
      flags.enabled.set(*w, !off);
    }
  }
  return std::nullopt;
}

}  // namespace compactor
