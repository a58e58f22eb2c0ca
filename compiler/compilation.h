// One run of the compiler over the two sources: the working state the row
// handlers share, and the handlers themselves. Internal to compiler/.
#pragma once

#include <optional>
#include <string>

#include "compiler/compiler.h"
#include "compiler/reader.h"
#include "compiler/warnings.h"
#include "model/scenario.h"

namespace compactor {

// The key words of each source, for "did you mean" (warnings.cpp).
extern const std::vector<std::string_view> kLineWords;
extern const std::vector<std::string_view> kServiceWords;

// "a signal", "a direction board", ...: what a cell of this kind holds.
const char* kind_name(uint8_t kind);

class Compilation {
 public:
  Compilation(Scenario& s, const Sources& sources, std::vector<Diagnostic>& diagnostics,
              Origins* origins, WarningSink* warnings, ReadOn* read_on = nullptr)
      : s_(s),
        diagnostics_(diagnostics),
        sources_(sources),
        origins_(origins ? origins : &own_origins_),
        warnings_(warnings),
        read_on_(read_on) {}
  CompileReport run();

 private:
  // What a row handler tells the feature loop.
  enum class Flow { kGoOn, kEndLoop, kReturn };
  using RowHandler = Flow (Compilation::*)(const std::string& key, const std::string& lower);

  // Frame (compiler.cpp).
  void open(const SourceText& source);
  bool run_line_description();
  void run_service_description();
  bool feature_loop(RowHandler handler);
  std::string read_key();
  // Records a fault of the current row. The caret stands under row field
  // `field` (0: the key); a field on a later line gets a note of its own.
  void fault(int32_t code, std::optional<int32_t> position, const std::string& detail = {},
             size_t field = 0, std::vector<Note> notes = {});
  // A fault whose place is `at` (a field of an earlier row of this source).
  void fault_at_place(int32_t code, const std::string& detail, const TextPlace& at,
                      std::vector<Note> notes);
  void record(Diagnostic d);
  // Reading on past the compile's stop, the note that a finding comes after
  // it; otherwise nothing (the finding is the compile's own).
  std::optional<Note> after_stop_note() const;
  bool fault_without_row(int32_t code, const std::string& detail);
  bool position_ok(int64_t p, int64_t margin);
  TrackCell& cell(int64_t i);
  void reading_failed(const ReadFailure& failure);

  // Warnings (warnings.cpp keeps the names; the checks sit in the handlers).
  bool wants(WarningName w) const { return warnings_ != nullptr && warnings_->wants(w); }
  // A warning at row field `field` of the current row (0: the key).
  void warn(WarningName w, size_t field, const std::string& message, std::vector<Note> notes = {});
  void warn_at(WarningName w, const TextPlace& at, const std::string& message,
               std::vector<Note> notes = {});
  const TextPlace& field_place(size_t field) const;
  Note note_here(const TextPlace& at, const std::string& message) const;
  // A note at the row that placed cell i ("held by the signal placed at ...").
  std::vector<Note> holder_note(int64_t i) const;
  Note note_at_origin(const SourcePlace& place, const std::string& message) const;
  // After the handlers of a key field: unknown-key, multi-key, row-shape.
  void after_row(const std::string& key, const std::vector<std::string_view>& words);
  // A handler took the current key field.
  void took(const char* what) {
    if (handlers_taken_ < 4) taken_[handlers_taken_] = what;
    ++handlers_taken_;
  }
  const char* taken_[4] = {};
  void off_grid(size_t field, int64_t position);
  // unordered, for the rows that fill the cells up to their own.
  void fill_order(const char* kind, int64_t p, const std::optional<int64_t>& previous_p, int64_t n,
                  int64_t fill);
  void truncated(size_t field, const char* what, int64_t given, int64_t stored);

  // Reading on past the compile's stop (check): the stop of the row in hand.
  bool reading_on() const { return read_on_ != nullptr; }
  void stopped_here(bool sticky);
  // Records the current row as the origin of cell i, of table entry e, of
  // tunnel n (when origins are kept).
  void placed_cell(int64_t i);
  void placed_entry(int32_t e);
  void placed_tunnel(int32_t n);
  SourcePlace current_place() const;
  void final_check();

  // General section and progressives (general_section.cpp).
  bool general_section();
  // One key field of the general section: true once the section has ended,
  // false when the compiler returns, nothing to read on.
  std::optional<bool> general_row(const std::string& key);
  void line_length(int32_t length);
  void signal_repetition(const std::string& key);
  void progressive_ordina();

  // Line features (line_features.cpp).
  Flow line_row(const std::string& key, const std::string& lower);
  Flow gradient();
  Flow curve(const std::string& key, const std::string& lower);
  Flow memo_montagna();
  Flow memo_indicatori_v_max();
  Flow direction_board();
  void board_km(int32_t p, const std::string& text);
  bool extend_path(int64_t until, double k, bool limit_test);
  void complete_line();

  // Service features (service_features.cpp).
  Flow service_row(const std::string& key, const std::string& lower);
  Flow speed_limit();
  void speed_fill_fault(bool at_end);
  Flow adhesion();
  Flow memo_segnale();
  Flow memo_rallentamento();
  Flow speed_reduction_point();
  void complete_service();

  // Stations (stations.cpp).
  Flow station();

  Scenario& s_;
  std::vector<Diagnostic>& diagnostics_;  // every fault, beside the model
  const Sources& sources_;
  Origins own_origins_;
  Origins* origins_;
  WarningSink* warnings_;
  ReadOn* read_on_;
  bool final_phase_ = false;
  CompileReport report_;

  // The handlers that took the current key field, and the line whose left
  // fields an extra value left behind (row-shape stands for unknown-key there).
  int handlers_taken_ = 0;
  int excused_line_ = 0;
  int unknown_line_ = 0;
  // Where the previous speed row's value stands (a fill fault points there),
  // the previous rows' positions for the order checks.
  std::optional<TextPlace> speed_value_place_;
  std::optional<TextPlace> failure_place_;
  std::vector<Note> failure_notes_;
  std::optional<int64_t> previous_gradient_p_, previous_speed_p_, previous_adhesion_p_;
  std::optional<int64_t> previous_signal_p_, previous_tunnel_p_, previous_curve_p_;
  std::optional<int32_t> previous_timed_station_;
  int previous_timed_station_entry_ = 0;

  std::optional<FieldReader> reader_;
  const SourceText* source_ = nullptr;
  TextPlace key_place_;
  bool key_place_valid_ = false;

  int32_t previous_gradient_ = 0;
  int64_t gradient_fill_ = 0;
  int32_t board_slot_ = kFirstBoardSlot;
  int32_t board_count_ = 0;
  int32_t station_counter_ = 1;
  int64_t speed_fill_ = 0;
  int32_t previous_speed_ = 0;
  int64_t adhesion_fill_ = 0;
  int32_t previous_adhesion_ = 0;
};

}  // namespace compactor
