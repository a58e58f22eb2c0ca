// Warnings: sources the compiler accepts but that are almost certainly not
// what their author meant (a key that matches no row, a row short of a value,
// a value cut to 8 bits, ...). They are side information, collected beside
// the model and never in it: the model, its bytes, the error code and the
// error position are the same with or without them.
// Depends on model/ only.
#pragma once

#include <bitset>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/diagnostic.h"

namespace compactor {

enum class WarningName {
  kUnknownKey,
  kRowShape,
  kUnordered,
  kTruncated,
  kSpeedStep,
  kBoardKm,
  kOverwritten,
  kClipped,
  kTimetable,
  kMultiKey,
  kOffGrid,
};
inline constexpr int kWarningNameCount = 11;

// "unknown-key", "row-shape", ...: the name that -W flags and reports use.
const char* warning_name(WarningName w);
std::optional<WarningName> warning_by_name(std::string_view name);
// Every warning is on by default except off-grid.
bool on_by_default(WarningName w);

// Which warnings are on.
class WarningSet {
 public:
  static WarningSet defaults();
  static WarningSet all();
  static WarningSet none() { return WarningSet(); }
  bool has(WarningName w) const { return bits_.test(static_cast<size_t>(w)); }
  void set(WarningName w, bool on) { bits_.set(static_cast<size_t>(w), on); }

 private:
  std::bitset<kWarningNameCount> bits_;
};

struct Warning {
  WarningName id = WarningName::kUnknownKey;
  std::string name;  // warning_name(id)
  std::string file;
  int line = 0;    // 1-based
  int column = 0;  // 1-based byte column of the field it concerns
  std::string message;
  Excerpt excerpt;
  std::vector<Note> notes;
};

// Where the compiler puts its warnings: only the enabled ones are recorded.
struct WarningSink {
  WarningSet enabled = WarningSet::defaults();
  std::vector<Warning> list;
  bool wants(WarningName w) const { return enabled.has(w); }
};

// Edit distance (insertions, deletions, substitutions), stopping early once
// it exceeds `limit` (the result is then limit + 1).
int edit_distance(std::string_view a, std::string_view b, int limit);

// The command-line flags -W NAME, -Wno-NAME, -Wall, -Werror, -Wno-error,
// given as their values ("unknown-key", "no-unknown-key", "all", "error").
struct WarningFlags {
  WarningSet enabled = WarningSet::defaults();
  bool werror = false;
};
// Applies the values in order. Returns an error message for an unknown name.
std::optional<std::string> apply_warning_flags(const std::vector<std::string>& values,
                                               WarningFlags& flags);

}  // namespace compactor
