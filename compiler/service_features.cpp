// The service description's rows: train data, speed limits, adhesion, clock,
// sand, signals, slowdowns and speed reduction points; and the completion of
// the speed and adhesion fills. Stations are in stations.cpp.
#include "compiler/compilation.h"
#include "compiler/rounding.h"
#include "compiler/text_match.h"

namespace compactor {
namespace {

bool fits_speed_step(int32_t speed) {
  const int64_t step = round_half_even(speed / 5.0);
  return step >= 0 && step <= 255;
}

uint8_t speed_step(int32_t speed) {
  const int64_t step = round_half_even(speed / 5.0);
  if (step < 0 || step > 255) {
    throw ReadFailure("the speed " + std::to_string(speed) + " km/h does not fit a speed step");
  }
  return static_cast<uint8_t>(step);
}

}  // namespace

Compilation::Flow Compilation::service_row(const std::string& key, const std::string& lower) {
  if (contains(lower, "massa") && contains(lower, "frenata")) {
    took("the braked-mass row");
    s_.table[84].long1 = reader_->read_i32();
  }
  if (contains(lower, "vetture")) {
    took("the coaches row");
    s_.table[84].long3 = reader_->read_i32();
  }
  if (contains(lower, "velocit")) {
    took("the speed-limit row");
    if (Flow f = speed_limit(); f != Flow::kGoOn) return f;
  }
  if (contains(lower, "aderenza")) {
    took("the adhesion row");
    if (Flow f = adhesion(); f != Flow::kGoOn) return f;
  }
  if (contains(lower, "orologio")) {
    took("the clock row");
    TableEntry& train = s_.table[86];
    train.int3 = reader_->read_i16();
    train.int4 = reader_->read_i16();
    train.int5 = reader_->read_i16();
  }
  if (contains(lower, "sabbia")) {
    took("the sand row");
    s_.table[86].int1 = reader_->read_i16();
  }
  if (contains(lower, "segnale")) {
    took("the signal row");
    if (Flow f = memo_segnale(); f != Flow::kGoOn) return f;
  }
  if (contains(lower, "rallentamento")) {
    took("the slowdown row");
    if (Flow f = memo_rallentamento(); f != Flow::kGoOn) return f;
  }
  if (contains(lower, "abbattimento")) {
    took("the speed-reduction-point row");
    if (Flow f = speed_reduction_point(); f != Flow::kGoOn) return f;
  }
  if (contains(lower, "stazione")) {
    took("the station row");
    if (Flow f = station(); f != Flow::kGoOn) return f;
  }
  after_row(key, kServiceWords);
  return Flow::kGoOn;
}

// A fill fault: the speed stored is that of the row before, whose value the
// caret points at; the note names what made the fill store it.
void Compilation::speed_fill_fault(bool at_end) {
  if (fits_speed_step(previous_speed_) || !speed_value_place_) return;
  failure_place_ = *speed_value_place_;
  failure_notes_.clear();
  if (at_end) {
    Note n;
    n.message = "the fill stored it when it completed the speeds at the end of the file";
    failure_notes_.push_back(std::move(n));
  } else {
    failure_notes_.push_back(note_here(key_place_, "the fill stored it when this row arrived"));
  }
}

Compilation::Flow Compilation::speed_limit() {
  const int32_t p = reader_->read_i32();
  const int32_t v = reader_->read_i32();
  if (!position_ok(p, 100)) return Flow::kEndLoop;
  const int64_t n = round_half_even(p / 50.0);
  if (warnings_) {
    off_grid(1, p);
    fill_order("speed-limit", p, previous_speed_p_, n, speed_fill_);
    previous_speed_p_ = p;
    if (v % 5 != 0 && wants(WarningName::kSpeedStep) && fits_speed_step(v)) {
      warn(WarningName::kSpeedStep, 2,
           "the speed " + std::to_string(v) + " km/h is not a multiple of 5; the track holds " +
               std::to_string(int64_t{speed_step(v)} * 5) + " km/h");
    }
  }
  if (n > 0) {
    speed_fill_fault(false);
    // One speed for the whole run of cells, converted (and refused) once.
    std::optional<uint8_t> step;
    do {
      if (speed_fill_ == s_.last_cell) break;
      if (!step) step = speed_step(previous_speed_);
      cell(speed_fill_).speedStep = *step;
      ++speed_fill_;
    } while (speed_fill_ < n);
  }
  previous_speed_ = v;
  speed_value_place_ = field_place(2);
  return Flow::kGoOn;
}

Compilation::Flow Compilation::adhesion() {
  const int32_t p = reader_->read_i32();
  const int32_t a = reader_->read_i32();
  if (!position_ok(p, 100)) return Flow::kEndLoop;
  const int64_t n = round_half_even(p / 50.0);
  if (warnings_) {
    off_grid(1, p);
    fill_order("adhesion", p, previous_adhesion_p_, n, adhesion_fill_);
    previous_adhesion_p_ = p;
    truncated(2, "adhesion (8 bits)", a, low8(a));
  }
  if (n > 0) {
    do {
      cell(adhesion_fill_).adhesion = low8(previous_adhesion_);
      ++adhesion_fill_;
    } while (adhesion_fill_ < n);
  }
  previous_adhesion_ = a;
  return Flow::kGoOn;
}

Compilation::Flow Compilation::memo_segnale() {
  int32_t v[11];
  for (int32_t& value : v) value = reader_->read_i32();
  const int32_t posizione = v[0], sx = v[1], s1 = v[2], s2 = v[3], s3 = v[4], rapp = v[5];
  const int32_t dx = v[6], d1 = v[7], d2 = v[8], d3 = v[9];
  int32_t tempo = v[10];
  if (!position_ok(posizione, 100)) return Flow::kEndLoop;
  const int64_t i = round_half_even(posizione / 50.0 + 1.0);
  TrackCell& c = cell(i);
  if (!is_free(c)) {
    fault(16, posizione, {}, 1, holder_note(i));
    return Flow::kReturn;
  }
  auto w = [](int32_t value) { return int64_t{low16(value)}; };
  c.kind = kSignal;
  placed_cell(i);
  c.paramD = low16(10 * w(rapp) + 3 * w(sx) + w(dx));
  c.paramA = low16(10 * w(s1) + w(d1));
  c.paramB = low16(10 * w(s2) + w(d2));
  c.paramC = low16(10 * w(s3) + w(d3));
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  c.signalTime = sx == 2 ? low8(tempo) : 0;
  const int64_t code = 10 * (3 * int64_t{low8(sx)} + low8(dx));
  if (warnings_) {
    off_grid(1, posizione);
    if (previous_signal_p_ && posizione < *previous_signal_p_ && wants(WarningName::kUnordered)) {
      warn(WarningName::kUnordered, 1,
           "this signal at " + std::to_string(posizione) + " m lies before the previous one, at " +
               std::to_string(*previous_signal_p_) +
               " m; the compiler places it as given, and the approach codes of the signals "
               "around it overwrite each other in row order");
    }
    previous_signal_p_ = posizione;
    truncated(6, "signal parameter D (10 x rapp + 3 x sx + dx, 16 bits)",
              10 * int64_t{rapp} + 3 * int64_t{sx} + dx, c.paramD);
    truncated(3, "signal parameter A (10 x s1 + d1, 16 bits)", 10 * int64_t{s1} + d1, c.paramA);
    truncated(4, "signal parameter B (10 x s2 + d2, 16 bits)", 10 * int64_t{s2} + d2, c.paramB);
    truncated(5, "signal parameter C (10 x s3 + d3, 16 bits)", 10 * int64_t{s3} + d3, c.paramC);
    if (sx == 2) truncated(11, "signal time (8 bits)", tempo, c.signalTime);
    const int64_t given = 10 * (3 * int64_t{sx} + dx) + 4;
    truncated(2, "approach code (10 x (3 x sx + dx) + k, 8 bits), for k = 4", given, low8(code + 4));
  }
  for (int k = 1; k <= 4; ++k) {
    if (i - 2 * k < 0) continue;
    cell(i - 2 * k).approach = low8(code + k);
  }
  return Flow::kGoOn;
}

Compilation::Flow Compilation::memo_rallentamento() {
  int32_t v[6];
  for (int32_t& value : v) value = reader_->read_i32();
  const int32_t x = v[0], speed = v[1], l = v[2], f_tt = v[3], d_v = v[5];
  int32_t f_ta = v[4];
  if (!position_ok(x, 100)) return Flow::kEndLoop;
  const int64_t w = int64_t{x} - 1200;
  const bool warned = x > 1500;
  const int64_t a = round_half_even(w / 50.0 + 1.0);
  if (warned) {
    if (!is_free(cell(a))) {
      fault(17, x, {}, 1, holder_note(a));
      return Flow::kReturn;
    }
  } else {
    f_ta = 0;
  }
  const int64_t s = round_half_even(x / 50.0 + 1.0);
  if (!is_free(cell(s))) {
    fault(18, x, {}, 1, holder_note(s));
    return Flow::kReturn;
  }
  const int64_t e = round_half_even(static_cast<double>(int64_t{x} + l) / 50.0 + 1.0);
  if (!is_free(cell(e))) {
    fault(19, x, {}, 1, holder_note(e));
    return Flow::kReturn;
  }
  if (warnings_) {
    off_grid(1, x);
    truncated(2, "slowdown speed (16 bits)", speed, low16(speed));
    truncated(4, "slowdown value f_tt (16 bits)", f_tt, low16(f_tt));
    truncated(6, "slowdown value d_v (16 bits)", d_v, low16(d_v));
  }
  cell(e).kind = kSlowdownEnd;
  placed_cell(e);
  if (d_v != 0) cell(e).paramB = low16(d_v);
  cell(s).kind = kSlowdownStart;
  placed_cell(s);
  if (d_v != 0) cell(s).paramB = low16(d_v);
  if (warned) {
    TrackCell& warning = cell(a);
    warning.kind = kSlowdownWarning;
    placed_cell(a);
    if (d_v != 0) warning.paramB = low16(d_v);
    warning.paramA = low16(speed);
  }
  for (int64_t c : {s, e}) {
    cell(c).paramA = low16(speed);
    cell(c).paramC = low16(f_tt);
  }
  const int64_t h = round_half_even(w / 50.0);
  if (f_ta != 0) {
    for (int64_t j = 0; j <= 3; ++j) {
      if (!is_free(cell(h - j))) {
        fault(20, x, {}, 1, holder_note(h - j));
        return Flow::kReturn;
      }
    }
    for (int64_t j = 0; j <= 3; ++j) {
      TrackCell& c = cell(h - j);
      c.kind = kSlowdownApproach;
      placed_cell(h - j);
      c.paramA = low16(j + 1);
      if (d_v != 0) c.paramB = low16(j + 1);
    }
  }
  return Flow::kGoOn;
}

Compilation::Flow Compilation::speed_reduction_point() {
  const int32_t p = reader_->read_i32();
  const int32_t r = reader_->read_i32();
  if (!position_ok(p, 100)) return Flow::kEndLoop;
  const int64_t i = round_half_even(p / 50.0);
  TrackCell& c = cell(i);
  if (!is_free(c)) {
    fault(7, p, {}, 1, holder_note(i));
    return Flow::kReturn;
  }
  if (warnings_) {
    off_grid(1, p);
    if (r > 0) truncated(2, "speed reduction value (16 bits)", r, low16(r));
  }
  placed_cell(i);
  if (r > 0) {
    c.kind = kReductionPoint;
    c.paramA = low16(r);
  } else {
    c.kind = kReductionPointNoValue;
  }
  return Flow::kGoOn;
}

void Compilation::complete_service() {
  speed_fill_fault(true);
  const uint8_t step = speed_step(previous_speed_);
  do {
    cell(speed_fill_).speedStep = step;
    ++speed_fill_;
  } while (speed_fill_ < s_.last_cell - 2);
  do {
    cell(adhesion_fill_).adhesion = low8(previous_adhesion_);
    ++adhesion_fill_;
  } while (adhesion_fill_ < s_.last_cell - 2);
}

}  // namespace compactor
