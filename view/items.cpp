#include "view/items.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>

#include "compiler/rounding.h"
#include "documents/windows1252.h"
#include "view/text.h"

namespace compactor::view {
namespace {

bool blank_but_text(const TableEntry& e) {
  return e.kind == 0 && e.long1 == 0 && e.long2 == 0 && e.long3 == 0 && e.flag == 0 &&
         e.int1 == 0 && e.int2 == 0 && e.int3 == 0 && e.int4 == 0 && e.int5 == 0 &&
         e.byte1 == 0 && e.byte2 == 0 && e.byte3 == 0 && e.byte4 == 0 && e.long4 == 0;
}
bool blank(const TableEntry& e) { return e.text.empty() && blank_but_text(e); }

// The lowest table entry that holds a direction-board text: the texts fill
// entries 80 downwards, one per board row, and hold nothing but their text.
int lowest_board_entry(const Scenario& s) {
  int lowest = kFirstBoardSlot + 1;
  for (const TrackCell& c : s.track) {
    if (c.kind == kDirectionBoard && c.paramA >= 1 && c.paramA <= kFirstBoardSlot) {
      lowest = std::min(lowest, static_cast<int>(c.paramA));
    }
  }
  // Texts whose board cell a station point took later still fill the table.
  for (int e = kFirstBoardSlot; e >= 1; --e) {
    const TableEntry& t = s.table[static_cast<size_t>(e)];
    if (t.text.empty() || !blank_but_text(t)) break;
    lowest = std::min(lowest, e);
  }
  return lowest;
}

std::string place_text(const SourcePlace& p) {
  if (!p.known()) return {};
  return file_name_utf8(p.file) + ":" + std::to_string(p.line);
}

std::string cell_source(const ViewInput& in, int32_t cell) {
  if (in.origins == nullptr || cell < 0 || static_cast<size_t>(cell) >= in.origins->cells.size()) return {};
  return place_text(in.origins->cells[static_cast<size_t>(cell)]);
}

const char* kind_name(uint8_t kind) {
  switch (kind) {
    case kSignal: return "signal";
    case kSlowdownEnd: return "slowdown-end";
    case kSlowdownStart: return "slowdown-start";
    case kSlowdownWarning: return "slowdown-warning";
    case kSlowdownApproach: return "slowdown-approach";
    case kSpeedIndicator: return "indicator";
    case kReductionPoint:
    case kReductionPointNoValue: return "reduction-point";
    case kDirectionBoard: return "board";
    default: return nullptr;
  }
}

// An indicator's packed speed: 20 x the left speed + the right speed / 5,
// so the left speed is the hundreds x 5 and the right the rest x 5 (for
// speeds in steps of 5 km/h below 500).
std::string indicator_speeds(int16_t packed) {
  const int v = packed;
  if (v < 0) return std::to_string(v);
  const int left = v / 100 * 5;
  const int right = v % 100 * 5;
  if (left == right) return std::to_string(left);
  return std::to_string(left) + "/" + std::to_string(right);
}

std::string slowdown_text(const TrackCell& c) {
  std::string t = "speed " + std::to_string(c.paramA) + " km/h";
  if (c.paramB != 0) t += ", d_v " + std::to_string(c.paramB);
  if (c.paramC != 0) t += ", f_tt " + std::to_string(c.paramC);
  return t;
}

void add_cell_item(const ViewInput& in, const Scenario& s, int32_t i,
                   const std::map<int32_t, BlockPassPoint>& block, Items& out) {
  const TrackCell& c = s.track[static_cast<size_t>(i)];
  const char* name = kind_name(c.kind);
  if (name == nullptr) return;
  Item it;
  it.kind = name;
  it.cell = i;
  it.metres = i * 50;
  it.end_metres = it.metres;
  it.source = cell_source(in, i);
  std::string d;
  switch (c.kind) {
    case kSignal:
      d = "aspects " + std::to_string(c.paramA) + " " + std::to_string(c.paramB) + " " +
          std::to_string(c.paramC) + ", rapp/sides " + std::to_string(c.paramD);
      if (c.signalTime != 0) d += ", time " + std::to_string(c.signalTime);
      break;
    case kSlowdownEnd:
    case kSlowdownStart:
    case kSlowdownWarning:
      d = slowdown_text(c);
      it.label = std::to_string(c.paramA);
      break;
    case kSlowdownApproach:
      d = "approach " + std::to_string(c.paramA) + " of 4";
      break;
    case kSpeedIndicator: {
      it.label = indicator_speeds(c.paramA) + " " + indicator_speeds(c.paramB) + " " +
                 indicator_speeds(c.paramC);
      d = "speeds " + it.label + " km/h, stripes " + std::to_string(c.paramD / 10) + "/" +
          std::to_string(c.paramD % 10);
      break;
    }
    case kReductionPoint:
    case kReductionPointNoValue: {
      d = c.kind == kReductionPoint ? "value " + std::to_string(c.paramA) : "without value";
      // The block pass's part is told beside (data "block"), not in every line.
      if (c.kind == kReductionPoint) it.label = std::to_string(c.paramA);
      auto b = block.find(i);
      if (b != block.end()) {
        it.block_slowdown = b->second.slowdown_cell;
        it.block_capped = b->second.capped;
        if (!b->second.capped) it.source.clear();  // placed by the pass, not by a row
      }
      break;
    }
    case kDirectionBoard: {
      const int e = c.paramA;
      if (e >= 0 && e < kTableSize) it.label = windows1252_to_utf8(s.table[static_cast<size_t>(e)].text);
      d = "text \"" + it.label + "\", entry " + std::to_string(e);
      break;
    }
    default: break;
  }
  it.details = std::move(d);
  out.push_back(std::move(it));
}

int32_t floor_div50(int64_t m) {
  return static_cast<int32_t>(m >= 0 ? m / 50 : -((-m + 49) / 50));
}

}  // namespace

int64_t kilometre_metres(const Scenario& s, int64_t metres) {
  const TableEntry* best = nullptr;
  for (int e = 81; e <= 83; ++e) {
    const TableEntry& p = s.table[static_cast<size_t>(e)];
    if (p.long1 == 0 && p.long2 == 0 && p.long3 == 0) continue;
    if (p.long1 <= metres && (best == nullptr || p.long1 > best->long1)) best = &p;
  }
  if (best == nullptr) return metres;
  return static_cast<int64_t>(best->long2) + (metres - best->long1);
}

std::vector<KilometrePost> kilometre_posts(const Scenario& s, int64_t last_metre) {
  // The reading is linear between the starts of the progressives.
  std::vector<int64_t> breaks = {0};
  for (int e = 81; e <= 83; ++e) {
    const TableEntry& p = s.table[static_cast<size_t>(e)];
    if ((p.long1 != 0 || p.long2 != 0 || p.long3 != 0) && p.long1 > 0 && p.long1 <= last_metre) {
      breaks.push_back(p.long1);
    }
  }
  std::sort(breaks.begin(), breaks.end());
  breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());
  breaks.push_back(last_metre + 1);
  std::vector<KilometrePost> posts;
  for (size_t b = 0; b + 1 < breaks.size(); ++b) {
    const int64_t a = breaks[b];
    const int64_t k = kilometre_metres(s, a);
    for (int64_t m = a + (((-k) % 1000) + 1000) % 1000; m < breaks[b + 1]; m += 1000) {
      posts.push_back({m, kilometre_metres(s, m) / 1000});
    }
  }
  return posts;
}

std::vector<KilometrePiece> kilometre_pieces(const Scenario& s) {
  std::vector<int64_t> starts = {0};
  for (int e = 81; e <= 83; ++e) {
    const TableEntry& p = s.table[static_cast<size_t>(e)];
    if ((p.long1 != 0 || p.long2 != 0 || p.long3 != 0) && p.long1 > 0) starts.push_back(p.long1);
  }
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  std::vector<KilometrePiece> pieces;
  for (int64_t from : starts) pieces.push_back({from, kilometre_metres(s, from) - from});
  return pieces;
}

std::string kilometre_text(const Scenario& s, int64_t metres) {
  const int64_t k = kilometre_metres(s, metres);
  const int64_t a = k < 0 ? -k : k;
  char buf[48];
  std::snprintf(buf, sizeof buf, "km %s%lld+%03lld", k < 0 ? "-" : "", static_cast<long long>(a / 1000),
                static_cast<long long>(a % 1000));
  return buf;
}

std::string clock_text(int64_t seconds) {
  const bool negative = seconds < 0;
  const int64_t a = negative ? -seconds : seconds;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%02lld", negative ? "-" : "",
                static_cast<long long>(a / 3600), static_cast<long long>(a / 60 % 60),
                static_cast<long long>(a % 60));
  return buf;
}

std::vector<Station> stations(const Scenario& s, const Origins* origins) {
  std::vector<Station> out;
  const int limit = lowest_board_entry(s);
  for (int e = 1; e < limit && e < kFirstBoardSlot + 1; ++e) {
    const TableEntry& t = s.table[static_cast<size_t>(e)];
    if (blank(t)) break;
    Station st;
    st.entry = e;
    st.name = windows1252_to_utf8(t.text);
    st.position = t.long3;
    st.type = t.kind;
    st.platform_start = t.long1;
    st.platform_end = t.long2;
    st.time = t.long4;
    const double q = t.long2 / 50.0 - 1;
    st.cell = (t.kind < 25 && q > 1) ? static_cast<int32_t>(round_half_even(q))
                                     : static_cast<int32_t>(round_half_even(t.long3 / 50.0));
    if (origins != nullptr) st.source = place_text(origins->entries[static_cast<size_t>(e)]);
    out.push_back(std::move(st));
  }
  return out;
}

std::vector<Run> cell_runs(const Scenario& s, int (*field)(const TrackCell&)) {
  std::vector<Run> runs;
  for (size_t i = 0; i < s.track.size(); ++i) {
    const int v = field(s.track[i]);
    if (!runs.empty() && runs.back().value == v) {
      runs.back().last = static_cast<int32_t>(i);
    } else {
      runs.push_back({static_cast<int32_t>(i), static_cast<int32_t>(i), v});
    }
  }
  return runs;
}

int32_t last_drawn_point(const Scenario& s) {
  const Path& p = s.path;
  if (!s.keep_path || !p.allocated || !p.origin_set) return -1;
  const int64_t last = std::min<int64_t>({static_cast<int64_t>(p.next) - 1, static_cast<int64_t>(p.end) - 2,
                                          static_cast<int64_t>(p.x.size()) - 1,
                                          static_cast<int64_t>(p.y.size()) - 1});
  return last < 1 ? -1 : static_cast<int32_t>(last);
}

std::vector<Run> curvature_runs(const Scenario& s) {
  std::vector<Run> runs;
  const int32_t last = last_drawn_point(s);
  if (last < 2) return runs;
  static constexpr double kClass[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  const double* x = s.path.x.data();
  const double* y = s.path.y.data();
  double ax = x[1] - x[0], ay = y[1] - y[0];
  for (int32_t i = 2; i <= last; ++i) {
    const double bx = x[i] - x[i - 1], by = y[i] - y[i - 1];
    const double n = ax * ax + ay * ay;
    const double k = n > 0 ? -(ax * by - ay * bx) / n : 0.0;
    const double a = std::fabs(k);
    int cls = 0;
    if (a >= 0.00005) {
      cls = 1;
      for (int c = 1; c < 6; ++c) {
        if (std::fabs(a - kClass[c]) < std::fabs(a - kClass[cls - 1])) cls = c + 1;
      }
      if (k < 0) cls = -cls;
    }
    if (!runs.empty() && runs.back().value == cls && runs.back().last == i - 1) {
      runs.back().last = i;
    } else {
      runs.push_back({i, i, cls});
    }
    ax = bx;
    ay = by;
  }
  return runs;
}

std::vector<Slowdown> slowdowns(const Scenario& s) {
  std::vector<Slowdown> out;
  const int32_t n = static_cast<int32_t>(s.track.size());
  for (int32_t i = 0; i < n; ++i) {
    if (s.track[static_cast<size_t>(i)].kind != kSlowdownStart) continue;
    int32_t e = i + 1;
    while (e < n - 1 && s.track[static_cast<size_t>(e)].kind != kSlowdownEnd) ++e;
    out.push_back({i, std::min(e, n - 1), s.track[static_cast<size_t>(i)].paramA});
  }
  return out;
}

std::vector<ViewWarning> place_warnings(const std::vector<Warning>& warnings, const Origins* origins) {
  // file -> line -> the lowest cell that line placed.
  std::map<std::string, std::map<int, int32_t>> placed;
  if (origins != nullptr) {
    for (size_t i = 0; i < origins->cells.size(); ++i) {
      if (origins->cells.known(i)) {
        placed[origins->cells.file(i)].emplace(origins->cells.line(i), static_cast<int32_t>(i));
      }
    }
  }
  std::vector<ViewWarning> out;
  for (const Warning& w : warnings) {
    ViewWarning v;
    v.code = w.name;
    v.message = as_utf8(w.message);
    v.place.file = w.file;
    v.place.line = w.line;
    v.place.column = w.column;
    auto file = placed.find(w.file);
    if (file != placed.end() && !file->second.empty()) {
      auto at = file->second.upper_bound(w.line);  // the first row after it
      if (at != file->second.begin()) v.cell = std::prev(at)->second;
    }
    out.push_back(std::move(v));
  }
  return out;
}

Items collect_items(const ViewInput& in) {
  const Scenario& s = *in.scenario;
  Items out;
  {
    size_t n = in.diagnostics.size() + in.warnings.size() + static_cast<size_t>(kMaxTunnels) + kFirstBoardSlot;
    for (const TrackCell& c : s.track) n += kind_name(c.kind) != nullptr;
    out.reserve(n);
  }
  std::map<int32_t, BlockPassPoint> block;
  if (in.origins != nullptr) {
    for (const BlockPassPoint& b : in.origins->block_pass) {
      if (b.slowdown_cell >= 0 && static_cast<size_t>(b.slowdown_cell) < s.track.size()) block[b.cell] = b;
    }
  }

  for (const Station& st : stations(s, in.origins)) {
    Item it;
    it.kind = "station";
    it.cell = st.cell;
    it.metres = st.position;
    it.end_metres = st.position;
    it.source = st.source;
    it.label = st.name;
    it.platform_start = st.platform_start;
    it.platform_end = st.platform_end;
    it.time = clock_text(st.time);
    it.details = "entry " + std::to_string(st.entry) + " \"" +
                 st.name + "\", type " + std::to_string(st.type) + ", platform " +
                 std::to_string(st.platform_start) + " to " + std::to_string(st.platform_end) +
                 " m, time " + clock_text(st.time);
    out.push_back(std::move(it));
  }

  auto tunnel = [&](int32_t start, int32_t end, int type, std::string source, int n) {
    Item it;
    it.kind = "tunnel";
    it.cell = floor_div50(start);
    it.metres = start;
    it.end_metres = std::max(start, end);
    it.source = std::move(source);
    it.details = std::to_string(start) + " to " + std::to_string(end) +
                 " m, type " + std::to_string(type);
    if (n > 0) it.details += ", tunnel " + std::to_string(n);
    out.push_back(std::move(it));
  };
  if (in.from_sources) {
    const int count = std::clamp<int>(s.tunnel_count, 0, kMaxTunnels);
    for (int n = 1; n <= count; ++n) {
      const int32_t a = s.tunnel_starts[static_cast<size_t>(n)];
      const int32_t b = s.tunnel_ends[static_cast<size_t>(n)];
      const int64_t first = round_half_even(a / 50.0);
      const int type = (first >= 0 && static_cast<size_t>(first) < s.track.size())
                           ? s.track[static_cast<size_t>(first)].tunnel
                           : 0;
      std::string src;
      if (in.origins != nullptr && static_cast<size_t>(n) < in.origins->tunnels.size()) {
        src = place_text(in.origins->tunnels[static_cast<size_t>(n)]);
      }
      tunnel(a, b, type, src, n);
    }
  } else {
    for (const Run& r : cell_runs(s, [](const TrackCell& c) { return static_cast<int>(c.tunnel); })) {
      if (r.value != 0) tunnel(r.first * 50, (r.last + 1) * 50, r.value, {}, 0);
    }
  }

  for (int32_t i = 0; i < static_cast<int32_t>(s.track.size()); ++i) add_cell_item(in, s, i, block, out);

  for (const Diagnostic& d : in.diagnostics) {
    if (!d.position) continue;
    Item it;
    it.kind = "diagnostic";
    it.metres = *d.position;
    it.end_metres = it.metres;
    it.cell = floor_div50(it.metres);
    if (d.line > 0) it.source = file_name_utf8(d.file) + ":" + std::to_string(d.line);
    it.label = std::to_string(d.code);
    it.details = "error " + std::to_string(d.code) + ": " + as_utf8(d.message);
    out.push_back(std::move(it));
  }
  for (const ViewWarning& w : in.warnings) {
    Item it;
    it.kind = "warning";
    it.cell = w.cell;
    it.metres = w.cell * 50;
    it.end_metres = it.metres;
    it.source = place_text(w.place);
    it.details = as_utf8(w.code) + ": " + as_utf8(w.message);
    out.push_back(std::move(it));
  }
  return out;
}

}  // namespace compactor::view
