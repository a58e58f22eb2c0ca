// The warnings about a row as a whole: a key field no handler takes
// (unknown-key), one taken by more than one (multi-key), and a row whose
// values do not match its line (row-shape); and the value checks the
// handlers share (off-grid, truncated).
#include <cstddef>
#include <cstdlib>

#include "compiler/compilation.h"
#include "compiler/rounding.h"
#include "compiler/text_match.h"

namespace compactor {

const std::vector<std::string_view> kLineWords = {
    "lunghezza percorso", "progressiva chilometrica", "sfondo",   "ripetizione segnali",
    "pendenza",           "curva",                    "montagna", "indicatori_vmax",
    "cartello_indicatore"};
const std::vector<std::string_view> kServiceWords = {
    "percentuale massa frenata", "numero vetture", "velocita",     "aderenza", "orologio",
    "sabbia",                    "segnale",        "rallentamento", "abbattimento", "stazione"};

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Words of a key: runs of letters.
std::vector<std::string> words_of(std::string_view s) {
  std::vector<std::string> out;
  std::string w;
  for (char c : s) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      w += c;
    } else if (!w.empty()) {
      out.push_back(std::move(w));
      w.clear();
    }
  }
  if (!w.empty()) out.push_back(std::move(w));
  return out;
}

// The key word nearest to `key`, within edit distance 2 of it or of one of
// its words of four letters or more.
std::optional<std::string_view> nearest_word(const std::string& key,
                                             const std::vector<std::string_view>& words) {
  const std::string lower = lower_ascii(key);
  const std::vector<std::string> key_words = words_of(lower);
  int best = 3;
  std::optional<std::string_view> found;
  for (std::string_view word : words) {
    int d = edit_distance(lower, word, 2);
    for (const std::string& kw : key_words) {
      if (kw.size() < 4) continue;
      for (const std::string& ww : words_of(word)) {
        if (ww.size() < 4) continue;
        d = std::min(d, edit_distance(kw, ww, 2));
      }
    }
    if (d < best) {
      best = d;
      found = word;
    }
  }
  return found;
}

std::string plural(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

void Compilation::after_row(const std::string& key, const std::vector<std::string_view>& words) {
  if (warnings_ == nullptr) return;
  const int key_line = key_place_.line;
  if (handlers_taken_ == 0) {
    if (!wants(WarningName::kUnknownKey) || key.empty() || contains(key, "-") ||
        (contains(key, "[") && contains(key, "]")) || key_line == excused_line_ ||
        key_line == unknown_line_) {
      return;
    }
    unknown_line_ = key_line;
    std::string message = "\"" + key + "\" is the key of no row, so the compiler passed over it";
    message += reader_->at_line_start() ? "" : " and reads the fields after it as keys";
    if (std::optional<std::string_view> near = nearest_word(key, words)) {
      message += "; did you mean \"" + std::string(*near) + "\"?";
    }
    warn(WarningName::kUnknownKey, 0, message);
    return;
  }

  if (handlers_taken_ > 1 && wants(WarningName::kMultiKey)) {
    std::string rows;
    for (int k = 0; k < handlers_taken_ && k < 4; ++k) {
      rows += k == 0 ? "" : k + 1 == handlers_taken_ ? " and " : ", ";
      rows += taken_[k];
    }
    warn(WarningName::kMultiKey, 0,
         "\"" + key + "\" is taken by " + std::to_string(handlers_taken_) + " rows, " + rows +
             "; each reads its own values, one after the other");
  }

  if (!wants(WarningName::kRowShape)) {
    // An extra value still excuses the fields it leaves from unknown-key.
    if (!reader_->at_line_start()) excused_line_ = key_line;
    return;
  }
  const auto& row = reader_->row_fields();
  const size_t takes = row.size() - 1;
  size_t on_line = 0;
  const TextPlace* borrowed = nullptr;
  for (size_t k = 1; k < row.size(); ++k) {
    if (row[k].line == key_line) ++on_line;
    else if (borrowed == nullptr) borrowed = &row[k];
  }
  if (borrowed != nullptr) {
    warn(WarningName::kRowShape, 0,
         "\"" + key + "\" takes " + plural(takes, "value", "values") + " but its line holds " +
             std::to_string(on_line) + "; the compiler took the missing " +
             std::to_string(takes - on_line) + " from line " + std::to_string(borrowed->line),
         {note_here(*borrowed, "the first value taken from a later line")});
    return;
  }
  if (reader_->at_line_start()) return;
  const std::string_view rest = reader_->rest_of_line();
  size_t first = 0;
  while (first < rest.size() && is_blank(rest[first])) ++first;
  if (first == rest.size()) return;
  size_t extra = 1;
  for (size_t i = first; i < rest.size(); ++i) extra += rest[i] == ',';
  excused_line_ = key_line;
  const std::string_view line = reader_->line_at(key_place_.line_start);
  TextPlace at = key_place_;
  at.column = static_cast<int>(rest.data() - line.data() + static_cast<std::ptrdiff_t>(first));
  warn_at(WarningName::kRowShape, at,
          "\"" + key + "\" takes " + plural(takes, "value", "values") + " but its line holds " +
              std::to_string(takes + extra) + "; the compiler reads the " +
              plural(extra, "field left over", "fields left over") + " as key fields");
}

void Compilation::fill_order(const char* kind, int64_t p, const std::optional<int64_t>& previous_p,
                             int64_t n, int64_t fill) {
  if (!wants(WarningName::kUnordered)) return;
  const bool before = previous_p && p < *previous_p;
  if (!before && !(n > 0 && n <= fill)) return;
  std::string message = std::string("this ") + kind + " row at " + std::to_string(p) + " m";
  if (before) message += " lies before the previous one, at " + std::to_string(*previous_p) + " m";
  else message += " rounds to cell " + std::to_string(n) + ", which the fill has already reached";
  if (n > 0) {
    message += "; the fill writes one cell, " + std::to_string(fill) +
               ", with the earlier value and this row takes effect from cell " + std::to_string(fill + 1);
  } else {
    message += "; the fill writes nothing and this row takes effect from cell " + std::to_string(fill);
  }
  warn(WarningName::kUnordered, 1, message);
}

void Compilation::off_grid(size_t field, int64_t position) {
  if (!wants(WarningName::kOffGrid) || position % 50 == 0) return;
  const int64_t cell = round_half_even(static_cast<double>(position) / 50.0);
  warn(WarningName::kOffGrid, field,
       "position " + std::to_string(position) + " is not a multiple of 50; the compiler rounds it to " +
           std::to_string(cell * 50) + " m");
}

void Compilation::truncated(size_t field, const char* what, int64_t given, int64_t stored) {
  if (given == stored || !wants(WarningName::kTruncated)) return;
  warn(WarningName::kTruncated, field,
       std::string(what) + ": the value " + std::to_string(given) + " does not fit its field, which holds " +
           std::to_string(stored) + " (its low bits)");
}

}  // namespace compactor
