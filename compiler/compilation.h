// One run of the compiler over the two sources: the working state the row
// handlers share, and the handlers themselves. Internal to compiler/.
#pragma once

#include <optional>
#include <string>

#include "compiler/compiler.h"
#include "compiler/reader.h"
#include "model/scenario.h"

namespace compactor {

class Compilation {
 public:
  Compilation(Scenario& s, const Sources& sources, Origins* origins)
      : s_(s), sources_(sources), origins_(origins) {}
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
  void fault(int32_t code, std::optional<int32_t> position, const std::string& detail = {});
  bool fault_without_row(int32_t code, const std::string& detail);
  bool position_ok(int64_t p, int64_t margin);
  TrackCell& cell(int64_t i);
  // Records the current row as the origin of cell i, of table entry e, of
  // tunnel n (when origins are kept).
  void placed_cell(int64_t i);
  void placed_entry(int32_t e);
  void placed_tunnel(int32_t n);
  SourcePlace current_place() const;
  void final_check();

  // General section and progressives (general_section.cpp).
  bool general_section();
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
  bool extend_path(int64_t until, double k, bool limit_test);
  void complete_line();

  // Service features (service_features.cpp).
  Flow service_row(const std::string& key, const std::string& lower);
  Flow speed_limit();
  Flow adhesion();
  Flow memo_segnale();
  Flow memo_rallentamento();
  Flow speed_reduction_point();
  void complete_service();

  // Stations (stations.cpp).
  Flow station();

  Scenario& s_;
  const Sources& sources_;
  Origins* origins_;
  CompileReport report_;

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
