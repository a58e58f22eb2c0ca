// The line description's feature rows: gradients, curves and the path,
// tunnels, speed indicators and direction boards; and their completion.
#include <limits>

#include "compiler/compilation.h"
#include "compiler/rounding.h"
#include "compiler/text_match.h"

namespace compactor {
namespace {

constexpr int64_t kPathPointLimit = 1000000;
constexpr size_t kLongestText = 65535;  // a table text's byte count is 16 bits

int16_t rounded_i16(double v) {
  const int64_t r = round_half_even(v);
  if (r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max()) {
    throw ReadFailure("the indicator value " + std::to_string(r) + " does not fit 16 bits");
  }
  return static_cast<int16_t>(r);
}

// Curvature by the first class digit the key holds.
std::optional<double> curvature(const std::string& key) {
  static constexpr struct { char digit; double k; } kClasses[] = {
      {'1', 0.0001}, {'2', 0.0002}, {'3', 0.0004}, {'4', 0.001}, {'5', 0.002}, {'6', 0.003}};
  for (const auto& c : kClasses) {
    if (key.find(c.digit) != std::string::npos) return c.k;
  }
  return std::nullopt;
}

}  // namespace

Compilation::Flow Compilation::line_row(const std::string& key, const std::string& lower) {
  if (contains(lower, "pendenza")) {
    took("the gradient row");
    if (Flow f = gradient(); f != Flow::kGoOn) return f;
  }
  if (contains(lower, "curva")) {
    took("the curve row");
    if (Flow f = curve(key, lower); f != Flow::kGoOn) return f;
  }
  if (contains(lower, "montagna")) {
    took("the tunnel row");
    if (Flow f = memo_montagna(); f != Flow::kGoOn) return f;
  }
  if (contains(lower, "indicatori_v")) {
    took("the speed-indicator row");
    if (Flow f = memo_indicatori_v_max(); f != Flow::kGoOn) return f;
  }
  if (contains(lower, "cartello") && contains(lower, "indicat")) {
    took("the direction-board row");
    if (Flow f = direction_board(); f != Flow::kGoOn) return f;
  }
  after_row(key, kLineWords);
  return Flow::kGoOn;
}

// The kilometre a direction board's text names ("Km 323+402" gives 323402).
static std::optional<int64_t> board_kilometre(const std::string& text) {
  const std::string lower = lower_ascii(text);
  const size_t at = lower.find("km");
  if (at == std::string::npos) return std::nullopt;
  size_t i = at + 2;
  while (i < lower.size() && lower[i] == ' ') ++i;
  auto digits = [&](int64_t& v) {
    const size_t from = i;
    v = 0;
    while (i < lower.size() && lower[i] >= '0' && lower[i] <= '9' && i - from < 9) v = v * 10 + (lower[i++] - '0');
    return i > from;
  };
  int64_t a = 0, b = 0;
  if (!digits(a) || i >= lower.size() || lower[i] != '+') return std::nullopt;
  ++i;
  if (!digits(b)) return std::nullopt;
  return a * 1000 + b;
}

Compilation::Flow Compilation::gradient() {
  const int32_t p = reader_->read_i32();
  const int32_t g = reader_->read_i32();
  if (!position_ok(p, 100)) return Flow::kEndLoop;
  const int64_t n = round_half_even(p / 50.0);
  if (warnings_) {
    off_grid(1, p);
    fill_order("gradient", p, previous_gradient_p_, n, gradient_fill_);
    truncated(2, "gradient code (gradient + 100, 8 bits)", int64_t{g} + 100, low8(int64_t{g} + 100));
    previous_gradient_p_ = p;
  }
  if (n > 0) {
    do {
      cell(gradient_fill_).gradientCode = low8(int64_t{previous_gradient_} + 100);
      ++gradient_fill_;
    } while (gradient_fill_ < n);
  }
  previous_gradient_ = g;
  return Flow::kGoOn;
}

Compilation::Flow Compilation::curve(const std::string& key, const std::string& lower) {
  const int32_t start = reader_->read_i32();
  const int32_t length = reader_->read_i32();
  if (s_.keep_path == 0) return Flow::kGoOn;
  if (!position_ok(start, 100)) return Flow::kEndLoop;
  std::optional<double> k = curvature(key);
  if (!k) {
    fault(103, std::nullopt, "no class digit 1 to 6 in \"" + key + "\"");
    return Flow::kReturn;
  }
  if (contains(lower, "s")) k = -*k;
  if (warnings_ && (int64_t{start} + 1 < s_.path.next ||
                    (previous_curve_p_ && start < *previous_curve_p_))) {
    const int64_t next = s_.path.next;
    const int64_t end = int64_t{start} + length;
    warn(WarningName::kUnordered, 1,
         "this curve starts at " + std::to_string(start) + " m, behind the path, which is drawn up to " +
             std::to_string(next - 1) + " m; " +
             (end >= next ? "only its part from " + std::to_string(next) + " m on is drawn"
                          : std::string("none of it is drawn")));
  }
  if (warnings_) previous_curve_p_ = start;
  if (!extend_path(start, 0.0, true)) return Flow::kReturn;
  if (!extend_path(int64_t{start} + length, *k, true)) return Flow::kReturn;
  return Flow::kGoOn;
}

// Extends the path from its next point up to point `until` (inclusive),
// turning by k at every metre. With the limit test, passing point 1000000 is
// error 103; a point beyond the path's end fails the reading.
bool Compilation::extend_path(int64_t until, double k, bool limit_test) {
  Path& path = s_.path;
  double* x = path.x.data();
  double* y = path.y.data();
  int64_t c = path.next;
  if (c > until) return true;
  // The last two points ride in registers: read back from the arrays, each
  // point would wait for the store of the one before it.
  double x2 = x[c - 2], x1 = x[c - 1];
  double y2 = y[c - 2], y1 = y[c - 1];
  while (c <= until) {
    if (c > path.end) {
      path.next = static_cast<int32_t>(c);
      throw ReadFailure("the path would pass its last point " + std::to_string(path.end));
    }
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    x2 = x1;
    y2 = y1;
    if (k == 0.0) {
      x1 = x1 + dx;
      y1 = y1 + dy;
    } else {
      x1 = x1 + (dx + k * dy);
      y1 = y1 + (dy - k * dx);
    }
    x[c] = x1;
    y[c] = y1;
    ++c;
    if (limit_test && c > kPathPointLimit) {
      path.next = static_cast<int32_t>(c);
      fault(103, std::nullopt, "the path passes 1000000 points");
      return false;
    }
  }
  path.next = static_cast<int32_t>(c);
  return true;
}

Compilation::Flow Compilation::memo_montagna() {
  const int32_t inizio = reader_->read_i32();
  const int32_t fine = reader_->read_i32();
  int32_t tipo = reader_->read_i32();
  if (!position_ok(inizio, 100)) return Flow::kEndLoop;
  if (s_.tunnel_count >= kMaxTunnels) throw ReadFailure("more than 80 tunnels");

  const bool markers = tipo > 10;
  if (markers) tipo -= 10;
  const int32_t count = ++s_.tunnel_count;
  s_.tunnel_starts[static_cast<size_t>(count)] = inizio;
  s_.tunnel_ends[static_cast<size_t>(count)] = fine;
  placed_tunnel(count);
  const bool close = count > 1 && int64_t{inizio} - s_.tunnel_ends[static_cast<size_t>(count - 1)] <= 150;
  if (close) tipo = 3;

  const int64_t first = round_half_even(inizio / 50.0);
  const int64_t last = round_half_even(fine / 50.0 - 1.0);
  const int64_t from = std::max<int64_t>(first, 0);
  const int64_t to = std::min<int64_t>(last, s_.last_cell);
  if (warnings_) {
    off_grid(1, inizio);
    off_grid(2, fine);
    if (previous_tunnel_p_ && inizio < *previous_tunnel_p_) {
      warn(WarningName::kUnordered, 1,
           "this tunnel starts at " + std::to_string(inizio) +
               " m, before the previous tunnel; the compiler still compares it with the previous "
               "row's end" + (close ? ", so it becomes type 3" : std::string()));
    }
    previous_tunnel_p_ = inizio;
    truncated(3, close ? "tunnel type" : "tunnel type (type - 10 with markers)", tipo, low8(tipo));
    if (last > s_.last_cell || first < 0) {
      warn(WarningName::kClipped, last > s_.last_cell ? 2 : 1,
           "the tunnel covers cells " + std::to_string(first) + " to " + std::to_string(last) +
               "; the compiler cuts it to the track's cells " + std::to_string(from) + " to " +
               std::to_string(to));
    }
  }
  for (int64_t i = from; i <= to; ++i) {
    TrackCell& c = cell(i);
    c.tunnel = low8(tipo);
    if (markers && (i - first + 1) % 4 == 0 && c.kind == kPlain) {
      c.kind = kTunnelMarker;
      placed_cell(i);
    }
  }
  return Flow::kGoOn;
}

Compilation::Flow Compilation::memo_indicatori_v_max() {
  int32_t v[9];
  for (int32_t& value : v) value = reader_->read_i32();
  const int32_t posizione = v[0], vas = v[1], vbs = v[2], vcs = v[3], strisces = v[4];
  const int32_t vad = v[5], vbd = v[6], vcd = v[7], strisced = v[8];
  if (!position_ok(posizione, 100)) return Flow::kEndLoop;
  const int64_t i = round_half_even(posizione / 50.0 + 1.0);
  TrackCell& c = cell(i);
  if (!is_free(c)) {
    fault(21, posizione, {}, 1, holder_note(i));
    return Flow::kReturn;
  }
  if (warnings_) {
    off_grid(1, posizione);
    truncated(5, "stripe counts (10 x strisces + strisced, 16 bits)",
              10 * int64_t{strisces} + strisced,
              low16(10 * int64_t{low16(strisces)} + low16(strisced)));
  }
  c.kind = kSpeedIndicator;
  placed_cell(i);
  c.paramA = rounded_i16(vad / 5.0 + 20.0 * vas);
  c.paramB = rounded_i16(vbd / 5.0 + 20.0 * vbs);
  c.paramC = rounded_i16(vcd / 5.0 + 20.0 * vcs);
  c.paramD = low16(10 * int64_t{low16(strisces)} + low16(strisced));
  return Flow::kGoOn;
}

Compilation::Flow Compilation::direction_board() {
  const int32_t p = reader_->read_i32();
  std::string text = reader_->read_text();
  if (!position_ok(p, 100)) return Flow::kEndLoop;
  const int64_t i = round_half_even(p / 50.0 + 1.0);
  TrackCell& c = cell(i);
  if (!is_free(c)) {
    fault(6, p, {}, 1, holder_note(i));
    return Flow::kReturn;
  }
  if (warnings_) {
    off_grid(1, p);
    if (wants(WarningName::kBoardKm)) board_km(p, text);
  }
  if (board_count_ >= kFirstBoardSlot) throw ReadFailure("more than 80 direction boards");
  if (text.size() > kLongestText) throw ReadFailure("a board text longer than 65535 bytes");
  c.kind = kDirectionBoard;
  placed_cell(i);
  placed_entry(board_slot_);
  c.paramA = low16(board_slot_);
  s_.table[static_cast<size_t>(board_slot_)].text = std::move(text);
  --board_slot_;
  ++board_count_;
  return Flow::kGoOn;
}

void Compilation::board_km(int32_t p, const std::string& text) {
  const std::optional<int64_t> written = board_kilometre(text);
  if (!written) return;
  // The progressive in force: the one with the greatest start at or before p.
  for (int e = 81; e <= 83; ++e) {
    const TableEntry& t = s_.table[static_cast<size_t>(e)];
    if ((t.long1 == 0 && t.long2 == 0) || t.long1 > p) continue;
    const int64_t km = int64_t{t.long2} + (int64_t{p} - t.long1);
    if (km != *written) {
      auto show = [](int64_t v) {
        std::string m = std::to_string(v % 1000);
        return std::to_string(v / 1000) + "+" + std::string(3 - std::min<size_t>(3, m.size()), '0') + m;
      };
      warn(WarningName::kBoardKm, 2,
           "the board reads Km " + show(*written) + ", but the progressives give Km " + show(km) +
               " at " + std::to_string(p) + " m (" + std::to_string(*written - km) +
               " m apart); the text is stored as written");
    }
    return;
  }
}

void Compilation::complete_line() {
  do {
    cell(gradient_fill_).gradientCode = low8(int64_t{previous_gradient_} + 100);
    ++gradient_fill_;
  } while (gradient_fill_ < s_.last_cell - 2);
  if (s_.keep_path != 0) extend_path(int64_t{s_.path_end} - 2, 0.0, false);
}

}  // namespace compactor
