#include "compiler/compiler.h"

#include "compiler/compilation.h"
#include "compiler/rounding.h"
#include "compiler/text_match.h"

namespace compactor {
namespace {

constexpr size_t kLongestShownLine = 160;

// The source line as a diagnostic shows it: long lines are cut to a window
// around the key field, and the column moves with the cut.
void set_source_line(Diagnostic& d, std::string_view line) {
  size_t from = 0;
  if (line.size() > kLongestShownLine && static_cast<size_t>(d.column) > 40) {
    from = static_cast<size_t>(d.column) - 40;
  }
  std::string_view shown = line.substr(std::min(from, line.size()), kLongestShownLine);
  d.column -= static_cast<int>(from);
  d.source_line.clear();
  for (char c : shown) {
    const unsigned char u = static_cast<unsigned char>(c);
    d.source_line += (u < 0x20 && c != '\t') || u == 0x7f ? '?' : c;
  }
}

}  // namespace

CompileReport memorizza_dati(Scenario& s, const Sources& sources, Origins* origins) {
  if (origins) *origins = Origins{};
  return Compilation(s, sources, origins).run();
}

CompileReport Compilation::run() {
  // Step 1: the names go into entries 85 and 86.
  s_.table[85].text = s_.names.scenario;
  s_.table[86].text = s_.names.train;
  try {
    if (run_line_description()) run_service_description();
  } catch (const ReadFailure& failure) {
    // The compiler's own failure trap: every source still there is deleted.
    fault(25, std::nullopt, failure.what());
    report_.line_consumed = sources_.line.has_value();
    report_.service_consumed = sources_.service.has_value();
  }
  return report_;
}

void Compilation::open(const SourceText& source) {
  source_ = &source;
  reader_.emplace(source.text);
  key_place_valid_ = false;
}

bool Compilation::run_line_description() {
  // Step 2: no line description, nothing read and nothing deleted.
  if (!sources_.line) {
    source_ = nullptr;
    Diagnostic d;
    d.code = 101;
    d.message = error_message(101);
    s_.error_code = 101;
    s_.diagnostics.push_back(std::move(d));
    return false;
  }
  open(*sources_.line);
  report_.line_consumed = true;

  // Step 3: find "[generale]".
  for (;;) {
    if (reader_->at_end()) return fault_without_row(102, {});
    const std::string field = read_key();
    if (reader_->at_end()) return fault_without_row(102, {});
    if (contains(lower_ascii(field), "[generale]")) break;
  }

  // Steps 4 to 6.
  if (!general_section()) return false;
  if (!s_.track_allocated) {
    report_.missing_length_row = true;
    return fault_without_row(25, "the general section has no \"lunghezza percorso\" row");
  }
  progressive_ordina();
  s_.tunnel_count = 0;
  board_slot_ = kFirstBoardSlot;
  board_count_ = 0;
  gradient_fill_ = 0;
  if (s_.keep_path != 0) {
    Path& path = s_.path;
    path.x[0] = 0.0, path.y[0] = 0.0;
    path.x[1] = 0.0, path.y[1] = 1.0;
    path.origin_set = true;
    path.next = 2;
  }

  // Steps 7 and 8.
  if (!feature_loop(&Compilation::line_row)) return false;
  key_place_valid_ = false;  // a fault of the fills belongs to no row
  complete_line();
  return true;
}

void Compilation::run_service_description() {
  // Step 9: open the service description and look for "[generale]".
  if (!sources_.service) throw ReadFailure("the service description cannot be opened");
  open(*sources_.service);
  report_.service_consumed = true;
  bool found = false;
  while (!reader_->at_end()) {
    if (contains(lower_ascii(read_key()), "[generale]")) {
      found = true;
      break;
    }
  }

  // Steps 10 and 11.
  station_counter_ = 1;
  speed_fill_ = 0;
  adhesion_fill_ = 0;
  if (found && !feature_loop(&Compilation::service_row)) return;
  key_place_valid_ = false;
  complete_service();

  // Step 12.
  final_check();
}

bool Compilation::feature_loop(RowHandler handler) {
  for (;;) {
    if (reader_->at_end()) return true;
    std::string key = read_key();
    if (reader_->at_end()) return true;
    for (int comments = 0; comments < 2 && key.find('-') != std::string::npos; ++comments) {
      key = read_key();
      if (reader_->at_end()) return true;
    }
    switch ((this->*handler)(key, lower_ascii(key))) {
      case Flow::kGoOn: break;
      case Flow::kEndLoop: return true;
      case Flow::kReturn: return false;
    }
  }
}

std::string Compilation::read_key() {
  std::string key = reader_->read_text();
  key_place_ = reader_->last_field();
  key_place_valid_ = true;
  return key;
}

void Compilation::fault(int32_t code, std::optional<int32_t> position, const std::string& detail) {
  s_.error_code = code;
  if (position) s_.error_position = *position;
  Diagnostic d;
  d.code = code;
  d.position = position;
  d.message = error_message(code);
  if (!detail.empty()) d.message += ": " + detail;
  if (source_ != nullptr) {
    d.file = source_->name;
    if (key_place_valid_ && reader_) {
      d.line = key_place_.line;
      d.column = key_place_.column;
      set_source_line(d, reader_->line_at(key_place_.line_start));
    }
  }
  s_.diagnostics.push_back(std::move(d));
}

bool Compilation::fault_without_row(int32_t code, const std::string& detail) {
  key_place_valid_ = false;
  fault(code, std::nullopt, detail);
  return false;
}

bool Compilation::position_ok(int64_t p, int64_t margin) {
  if (static_cast<double>(p + margin) / 50.0 > static_cast<double>(s_.last_cell)) {
    fault(15, low32(p));
    return false;
  }
  return true;
}

TrackCell& Compilation::cell(int64_t i) {
  if (!s_.track_allocated || i < 0 || i > s_.last_cell) {
    throw ReadFailure("cell " + std::to_string(i) + " lies outside the track (cells 0 to " +
                      std::to_string(s_.last_cell) + ")");
  }
  return s_.track[static_cast<size_t>(i)];
}

SourcePlace Compilation::current_place() const {
  SourcePlace place;
  if (source_ == nullptr || !key_place_valid_) return place;
  place.file = source_->name;
  place.line = key_place_.line;
  place.column = key_place_.column;
  return place;
}

void Compilation::placed_cell(int64_t i) {
  if (origins_ == nullptr || i < 0 || i > s_.last_cell) return;
  if (origins_->cells.size() != s_.track.size()) origins_->cells.resize(s_.track.size());
  origins_->cells[static_cast<size_t>(i)] = current_place();
}

void Compilation::placed_entry(int32_t e) {
  if (origins_ == nullptr || e < 0 || e >= kTableSize) return;
  origins_->entries[static_cast<size_t>(e)] = current_place();
}

void Compilation::placed_tunnel(int32_t n) {
  if (origins_ == nullptr || n < 0) return;
  if (origins_->tunnels.size() <= static_cast<size_t>(n)) origins_->tunnels.resize(static_cast<size_t>(n) + 1);
  origins_->tunnels[static_cast<size_t>(n)] = current_place();
}

void Compilation::final_check() {
  for (int e = 81; e <= 83; ++e) {
    const TableEntry& entry = s_.table[static_cast<size_t>(e)];
    if (entry.long1 % 50 != 0 || entry.long2 % 50 != 0) {
      source_ = sources_.line ? &*sources_.line : nullptr;
      reader_.reset();
      key_place_valid_ = false;
      fault(2, std::nullopt,
            "entry " + std::to_string(e) + " holds (" + std::to_string(entry.long1) + ", " +
                std::to_string(entry.long2) + ")");
      return;
    }
  }
}

}  // namespace compactor
