#include "check/block_pass.h"

#include "check/competition_codes.h"

namespace compactor {
namespace {

constexpr int16_t kMarkSpeed = 180;

// The pass's view of the track: cells beyond the last one are never free and
// never a signal, and nothing is read or written outside the track.
class Track {
 public:
  Track(Scenario& s, std::vector<Diagnostic>& diagnostics, std::vector<BlockFinding>* findings,
        std::vector<BlockPassPoint>* points)
      : s_(s), diagnostics_(diagnostics), last_(s.last_cell), findings_(findings), points_(points) {}

  // The slowdown cell (warning or start) being treated.
  void treating(int c) { slowdown_ = c; }

  int last() const { return last_; }
  bool inside(int64_t c) const { return c >= 0 && c <= last_; }
  uint8_t kind(int64_t c) const { return inside(c) ? cell(c).kind : static_cast<uint8_t>(kPlain); }
  bool free(int64_t c) const { return inside(c) && is_free(cell(c)); }
  bool has_kind(int64_t c, uint8_t k) const { return inside(c) && cell(c).kind == k; }

  void mark(int64_t c) {
    cell(c).kind = kReductionPoint;
    cell(c).paramA = kMarkSpeed;
    note(c, false);
  }
  void cap(int64_t c) {
    cell(c).paramA = minimo(kMarkSpeed, cell(c).paramA);
    note(c, true);
  }
  int16_t speed(int64_t c) const { return cell(c).paramA; }

  void record(int32_t code, int64_t c, int slowdown_cell, int signal_cell = -1) {
    if (findings_) findings_->push_back({diagnostics_.size(), slowdown_cell, signal_cell});
    const int32_t position = static_cast<int32_t>(c * 50);
    s_.error_code = code;
    s_.error_position = position;
    Diagnostic d;
    d.code = code;
    d.position = position;
    d.message = error_message(code);
    diagnostics_.push_back(std::move(d));
  }

 private:
  TrackCell& cell(int64_t c) const { return s_.track[static_cast<size_t>(c)]; }
  void note(int64_t c, bool capped) {
    if (points_ != nullptr) points_->push_back({static_cast<int32_t>(c), slowdown_, capped});
  }
  Scenario& s_;
  std::vector<Diagnostic>& diagnostics_;
  int last_;
  std::vector<BlockFinding>* findings_;
  std::vector<BlockPassPoint>* points_;
  int slowdown_ = 0;
};

// A: a point in front of every signal among the 20 cells before a warning.
void signals_near_warning(Track& t, int i) {
  for (int k = 1; k <= 20; ++k) {
    const int s = i - k;
    if (s < 3) break;
    if (!t.has_kind(s, kSignal)) continue;
    if (t.free(s - 1)) {
      t.mark(s - 1);
    } else if (t.free(s - 2)) {
      t.mark(s - 2);
    } else if (t.has_kind(s - 1, kReductionPoint)) {
      t.cap(s - 1);
    } else if (t.has_kind(s - 2, kReductionPoint)) {
      t.cap(s - 2);
    } else {
      t.record(11, s, i, s);
    }
  }
}

// B: the near, middle and far windows before a slowdown start.
void windows_before_start(Track& t, int i) {
  struct Window { int applies_above; int first; };
  static constexpr Window kWindows[] = {{7, 5}, {13, 11}, {20, 18}};
  for (const Window& w : kWindows) {
    if (i <= w.applies_above) continue;
    bool placed = false;
    for (int c = i - w.first; c >= i - w.first - 2; --c) {
      if (t.free(c)) {
        t.mark(c);
        placed = true;
        break;
      }
    }
    if (!placed) t.record(12, i, i);
  }
}

// C: a point every 8 cells along a slow slowdown. Returns the cell where the
// scan stopped: the slowdown's end, or the last cell when no end was met.
int points_along(Track& t, int i) {
  int n = 0;
  int k = i;
  for (;;) {
    ++k;
    ++n;
    if (n == 8) {
      if (t.free(k)) {
        t.mark(k);
        n = 0;
      } else if (t.free(k - 1)) {
        t.mark(k - 1);
        n = 1;
      } else if (t.free(k + 1)) {
        t.mark(k + 1);
        n = -1;
      } else {
        t.record(13, k, i);
      }
    }
    if (t.has_kind(k, kSlowdownEnd) || k >= t.last()) return k;
  }
}

// The first end cell after i, or the last cell when there is none.
int slowdown_end_after(const Track& t, int i) {
  int k = i + 1;
  while (k < t.last() && !t.has_kind(k, kSlowdownEnd)) ++k;
  return k;
}

// D: a point in front of the first signal within 13 cells of the end.
void point_before_next_signal(Track& t, int i, int end) {
  const int stop = end + 12;
  for (int q = end; q <= stop && q <= t.last(); ++q) {
    if (!t.has_kind(q, kSignal)) continue;
    if (q - 1 <= 0) return;
    if (t.free(q - 1)) {
      t.mark(q - 1);
    } else if (t.free(q - 2)) {
      t.mark(q - 2);
    } else {
      t.record(13, end, i, q);
    }
    return;
  }
}

}  // namespace

void block_pass(Scenario& s, std::vector<Diagnostic>& diagnostics, std::vector<BlockFinding>* findings,
                std::vector<BlockPassPoint>* points) {
  if (!s.track_allocated) return;
  Track t(s, diagnostics, findings, points);
  const int limit = s.last_cell - 2;
  for (int i = 1; i <= limit; ++i) {
    const uint8_t kind = t.kind(i);
    t.treating(i);
    if (kind == kSlowdownWarning) {
      signals_near_warning(t, i);
    } else if (kind == kSlowdownStart) {
      windows_before_start(t, i);
      const int end = t.speed(i) < 110 ? points_along(t, i) : slowdown_end_after(t, i);
      point_before_next_signal(t, i, end);
    }
  }
}

std::optional<int> stamp_reserved_fields(Scenario& s) {
  TableEntry& line = s.table[85];
  TrackCell& first = s.track.at(1);
  if (line.int1 != 0 || first.paramA != 0) return 1250;
  line.int1 = 610;
  first.paramA = 5121;
  if (line.long4 != 0 || first.paramB != 0) return 1251;
  line.long4 = codice_gara_st(s);
  first.paramB = static_cast<int16_t>(codice_gara_og(s));
  return std::nullopt;
}

}  // namespace compactor
