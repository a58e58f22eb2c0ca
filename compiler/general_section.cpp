// The line description's general section: line length, kilometric
// progressives, backgrounds and signal repetition; and the ordering of the
// progressives by start position.
#include <array>

#include "compiler/compilation.h"
#include "compiler/rounding.h"
#include "compiler/text_match.h"

namespace compactor {
namespace {

// The header of the next section: not a comment, and holding both brackets.
bool is_header(const std::string& field) {
  return !field.empty() && field[0] != '-' && contains(field, "[") && contains(field, "]");
}

}  // namespace

bool Compilation::general_section() {
  for (;;) {
    if (reader_->at_end()) return true;
    std::string key = read_key();
    if (reader_->at_end()) return true;
    for (int comments = 0; comments < 10 && contains(key, "-"); ++comments) key = read_key();
    if (!reading_on()) {
      if (const std::optional<bool> done = general_row(key)) return *done;
      continue;
    }
    // Reading on: a fault skips the row, a reading failure the rest of its line.
    try {
      if (const std::optional<bool> done = general_row(key)) {
        if (*done) return true;
        stopped_here(true);
        if (!reader_->at_line_start()) reader_->skip_line();
      }
    } catch (const ReadFailure& failure) {
      reading_failed(failure);
      stopped_here(true);
      if (!reader_->at_line_start()) reader_->skip_line();
    }
  }
}

std::optional<bool> Compilation::general_row(const std::string& key) {
  {
    const std::string lower = lower_ascii(key);
    if (contains(lower, "percorso") && contains(lower, "lunghezza")) {
      took("the line-length row");
      const int32_t length = reader_->read_i32();
      s_.table[84].long2 = length;
      if (length > kMaxLineLength) {
        fault(1, std::nullopt, {}, 1);
        return false;
      }
      if (length < 0) throw ReadFailure("a negative line length");
      line_length(length);
    }
    TableEntry* progressives[3] = {&s_.table[81], &s_.table[82], &s_.table[83]};
    const char* words[3] = {"tre", "due", "uno"};
    for (int n = 0; n < 3; ++n) {
      if (contains(key, words[n]) && contains(key, "progressiva")) {
        took(n == 0 ? "the progressive \"tre\"" : n == 1 ? "the progressive \"due\"" : "the progressive \"uno\"");
        progressives[n]->long1 = reader_->read_i32();
        progressives[n]->long2 = reader_->read_i32();
        progressives[n]->long3 = reader_->read_i32();
      }
    }
    if (contains(key, "sfondo") && contains(key, "uno")) {
      took("the background \"uno\"");
      s_.table[85].long1 = reader_->read_i32();
    }
    if (contains(key, "sfondo") && contains(key, "due")) {
      took("the background \"due\"");
      s_.table[85].long3 = reader_->read_i32();
    }
    if (contains(key, "sfondo") && contains(key, "tre")) {
      took("the background \"tre\"");
      s_.table[85].long2 = reader_->read_i32();
    }
    if (contains(key, "segnali") && contains(key, "ripetizione")) {
      took("the signal-repetition row");
      TableEntry& train = s_.table[86];
      train.long1 = reader_->read_i32();
      train.long2 = reader_->read_i32();
      int32_t code = 0;
      if (train.long1 % 50 != 0) code = 3;
      else if (train.long2 % 50 != 0) code = 4;
      else if (contains(key, "4")) train.long3 = 4;
      else if (contains(key, "9")) train.long3 = 9;
      else code = 5;
      if (code != 0) {
        fault(code, std::nullopt, {}, code == 3 ? 1 : code == 4 ? 2 : 0);
        return false;
      }
      if (train.long2 == 0) train.long3 = 0;
    }
    after_row(key, kLineWords);
    if (is_header(key)) return true;
  }
  return std::nullopt;
}

void Compilation::line_length(int32_t length) {
  s_.path_end = length + kExtraMetres;
  s_.last_cell = static_cast<int32_t>(round_half_even(static_cast<double>(s_.path_end) / 50.0));
  s_.track.assign(static_cast<size_t>(s_.last_cell) + 1, TrackCell{});
  s_.track_allocated = true;
  if (s_.keep_path != 0) {
    Path& path = s_.path;
    path.end = s_.path_end;
    // Zeros, written only as far as the walk goes (model/path_storage.h).
    path.x = PathValues(static_cast<size_t>(path.end) + 1);
    path.y = PathValues(static_cast<size_t>(path.end) + 1);
    path.allocated = true;
    path.origin_set = false;
    path.next = 2;
  }
}

void Compilation::progressive_ordina() {
  struct Triple {
    int32_t start, km, flag;
  };
  auto get = [&](int e) {
    const TableEntry& t = s_.table[static_cast<size_t>(e)];
    return Triple{t.long1, t.long2, t.long3};
  };
  const Triple T = get(81), D = get(82), U = get(83);
  const Triple zero{0, 0, 0};
  std::array<Triple, 3> r{zero, zero, zero};

  const int64_t sum = int64_t{T.start} + D.start + U.start;
  if (sum != 0) {
    if (T.start > D.start && T.start > U.start) {
      r = D.start > U.start ? std::array{T, D, U} : std::array{T, U, D};
    } else if (D.start > T.start && D.start > U.start) {
      r = T.start > U.start ? std::array{D, T, U} : std::array{D, U, T};
    } else if (U.start > T.start && U.start > D.start) {
      r = T.start > D.start ? std::array{U, T, D} : std::array{U, D, T};
    }
  } else {
    if (T.km > 0) r = {T, D, U};
    if (D.km > 0) r = {D, T, U};
    if (U.km > 0) r = {U, D, T};
  }
  for (int n = 0; n < 3; ++n) {
    TableEntry& e = s_.table[static_cast<size_t>(81 + n)];
    e.long1 = r[static_cast<size_t>(n)].start;
    e.long2 = r[static_cast<size_t>(n)].km;
    e.long3 = r[static_cast<size_t>(n)].flag;
    if (e.long3 == 1) e.long2 = low32(int64_t{e.long2} + 100);
  }
}

}  // namespace compactor
