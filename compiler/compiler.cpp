#include "compiler/compiler.h"

#include "compiler/compilation.h"
#include "compiler/rounding.h"
#include "compiler/text_match.h"

namespace compactor {
namespace {

// The text of line `line` (1-based) of `text`, without its end.
std::string_view line_of(std::string_view text, int line) {
  size_t start = 0;
  for (int l = 1; l < line; ++l) {
    const size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) return {};
    start = nl + 1;
  }
  size_t end = text.find('\n', start);
  if (end == std::string_view::npos) end = text.size();
  if (end > start && text[end - 1] == '\r' && end < text.size()) --end;
  return text.substr(start, end - start);
}

// What the compiler does after each fault, as the message says it.
const char* consequence(int32_t code) {
  switch (code) {
    case 15: return "the rest of this file is not read";
    case 1: case 3: case 4: case 5: case 6: case 21: case 103:
      return "the compiler stops here and does not read the service description";
    case 7: case 8: case 9: case 10: case 16: case 17: case 18: case 19: case 20: case 22: case 24:
      return "the compiler stops here, without the final fills and checks";
    case 25: return "the compiler stops";
    case 2: return "everything else was compiled";
    case 102: return "nothing was compiled";
    default: return nullptr;
  }
}

}  // namespace

const char* kind_name(uint8_t kind) {
  switch (kind) {
    case kSignal: return "a signal";
    case kSlowdownEnd: return "the end of a slowdown";
    case kSlowdownStart: return "the start of a slowdown";
    case kSlowdownWarning: return "a slowdown warning";
    case kSlowdownApproach: return "a slowdown approach cell";
    case kSpeedIndicator: return "a speed indicator";
    case kStationPoint: return "a station point";
    case kTunnelMarker: return "a tunnel marker";
    case kReductionPoint:
    case kReductionPointNoValue: return "a speed reduction point";
    case kDirectionBoard: return "a direction board";
    default: return "a feature";
  }
}

CompileReport memorizza_dati(Scenario& s, const Sources& sources, std::vector<Diagnostic>& diagnostics,
                             Origins* origins, WarningSink* warnings) {
  if (origins) *origins = Origins{};
  return Compilation(s, sources, diagnostics, origins, warnings).run();
}

void read_on_past_faults(Scenario& s, const Sources& sources, std::vector<Diagnostic>& diagnostics,
                         WarningSink* warnings, ReadOn& read_on) {
  read_on = ReadOn{};
  Compilation(s, sources, diagnostics, nullptr, warnings, &read_on).run();
}

CompileReport Compilation::run() {
  // Step 1: the names go into entries 85 and 86.
  s_.table[85].text = s_.names.scenario;
  s_.table[86].text = s_.names.train;
  try {
    if (run_line_description()) run_service_description();
  } catch (const ReadFailure& failure) {
    // The compiler's own failure trap: every source still there is deleted.
    reading_failed(failure);
    report_.line_consumed = sources_.line.has_value();
    report_.service_consumed = sources_.service.has_value();
  }
  return report_;
}

void Compilation::reading_failed(const ReadFailure& failure) {
  std::vector<Note> notes = std::move(failure_notes_);
  failure_notes_.clear();
  if (failure_place_) {
    const TextPlace at = *failure_place_;
    failure_place_.reset();
    if (at.line != key_place_.line || !key_place_valid_) {
      fault_at_place(25, failure.what(), at, std::move(notes));
      return;
    }
    // A field of the row in hand: find it among the row's fields.
    const auto& row = reader_->row_fields();
    for (size_t k = 0; k < row.size(); ++k) {
      if (row[k].line == at.line && row[k].column == at.column) {
        fault(25, std::nullopt, failure.what(), k, std::move(notes));
        return;
      }
    }
  }
  size_t field = 0;
  if (reader_ && key_place_valid_) {
    // The field that failed is the one read last.
    const auto& row = reader_->row_fields();
    if (!row.empty()) field = row.size() - 1;
  }
  fault(25, std::nullopt, failure.what(), field, std::move(notes));
}

void Compilation::open(const SourceText& source) {
  source_ = &source;
  reader_.emplace(source.text);
  key_place_valid_ = false;
  excused_line_ = 0;
  unknown_line_ = 0;
}

bool Compilation::run_line_description() {
  // Step 2: no line description, nothing read and nothing deleted.
  if (!sources_.line) {
    source_ = nullptr;
    Diagnostic d;
    d.code = 101;
    d.message = error_message(101);
    s_.error_code = 101;
    diagnostics_.push_back(std::move(d));
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
  if (!general_section() && !reading_on()) return false;
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
  // Reading on: a loop that only ended in the line description does not stop
  // the compile's reading of the service description.
  if (read_on_ && read_on_->stopped && !read_on_->sticky) read_on_->stopped = false;

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
  final_phase_ = true;
  complete_service();

  // Step 12.
  final_check();
}

void Compilation::stopped_here(bool sticky) {
  // The first stop is where the compile gave up; what the reading on meets
  // after it (a later fault too) changes nothing of the compile's own course.
  if (!read_on_ || read_on_->stopped) return;
  read_on_->stopped = true;
  read_on_->stop = current_place();
  read_on_->sticky = sticky;
  // A loop that ends in the service description still leads to the fills
  // and the final check.
  read_on_->final_ran = !sticky && sources_.service && source_ == &*sources_.service;
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
    Flow flow = Flow::kGoOn;
    if (!reading_on()) {
      flow = (this->*handler)(key, lower_ascii(key));
    } else {
      try {
        flow = (this->*handler)(key, lower_ascii(key));
      } catch (const ReadFailure& failure) {
        reading_failed(failure);
        stopped_here(true);
        if (!reader_->at_line_start()) reader_->skip_line();
        continue;
      }
    }
    switch (flow) {
      case Flow::kGoOn: break;
      case Flow::kEndLoop:
        if (!reading_on()) return true;
        stopped_here(false);
        if (!reader_->at_line_start()) reader_->skip_line();
        break;
      case Flow::kReturn:
        if (!reading_on()) return false;
        stopped_here(true);
        if (!reader_->at_line_start()) reader_->skip_line();
        break;
    }
  }
}

std::string Compilation::read_key() {
  reader_->begin_row();
  handlers_taken_ = 0;
  failure_place_.reset();
  failure_notes_.clear();
  std::string key = reader_->read_text();
  key_place_ = reader_->last_field();
  key_place_valid_ = true;
  return key;
}

const TextPlace& Compilation::field_place(size_t field) const {
  const auto& row = reader_->row_fields();
  if (field < row.size()) return row[field];
  return key_place_;
}

Note Compilation::note_here(const TextPlace& at, const std::string& message) const {
  Note n;
  n.file = source_ ? source_->name : std::string();
  n.line = at.line;
  n.column = at.column + 1;
  n.message = message;
  if (reader_) n.excerpt = make_excerpt(reader_->line_at(at.line_start), at.column);
  return n;
}

Note note_at(const Sources& sources, const SourcePlace& place, const std::string& message) {
  Note n;
  n.message = message;
  if (!place.known()) return n;
  n.file = place.file;
  n.line = place.line;
  n.column = place.column + 1;
  const SourceText* text = nullptr;
  if (sources.line && sources.line->name == place.file) text = &*sources.line;
  else if (sources.service && sources.service->name == place.file) text = &*sources.service;
  if (text) n.excerpt = make_excerpt(line_of(text->text, place.line), place.column);
  return n;
}

Note Compilation::note_at_origin(const SourcePlace& place, const std::string& message) const {
  return note_at(sources_, place, message);
}

std::vector<Note> Compilation::holder_note(int64_t i) const {
  std::vector<Note> notes;
  if (i < 0 || i > s_.last_cell || !s_.track_allocated) return notes;
  const uint8_t kind = s_.track[static_cast<size_t>(i)].kind;
  SourcePlace place;
  if (static_cast<size_t>(i) < origins_->cells.size()) place = origins_->cells[static_cast<size_t>(i)];
  std::string message = "cell " + std::to_string(i) + " (" + std::to_string(i * 50) + " to " +
                        std::to_string(i * 50 + 50) + " m) holds " + kind_name(kind);
  if (place.known()) {
    message += ", placed by this row";
  } else {
    message += ", placed by no row";
  }
  notes.push_back(note_at_origin(place, message));
  return notes;
}

std::optional<Note> Compilation::after_stop_note() const {
  if (!read_on_ || !read_on_->stopped || (final_phase_ && read_on_->final_ran)) return std::nullopt;
  Note n;
  n.message = "found after the compile stopped at " + read_on_->stop.file + ":" +
              std::to_string(read_on_->stop.line);
  return n;
}

void Compilation::record(Diagnostic d) {
  if (std::optional<Note> after = after_stop_note()) {
    d.notes.push_back(std::move(*after));
    read_on_->diagnostics.push_back(std::move(d));
    return;
  }
  diagnostics_.push_back(std::move(d));
}

void Compilation::fault(int32_t code, std::optional<int32_t> position, const std::string& detail,
                        size_t field, std::vector<Note> notes) {
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
      const TextPlace& at = field_place(field);
      if (at.line == key_place_.line) {
        d.column = at.column + 1;
        Excerpt e = make_excerpt(reader_->line_at(key_place_.line_start), at.column);
        d.source_line = std::move(e.source_line);
        d.caret = e.caret;
      } else {
        // The row ran out of values on its line: the field that caused the
        // fault stands on a later line, shown by a note.
        d.column = key_place_.column + 1;
        Excerpt e = make_excerpt(reader_->line_at(key_place_.line_start), key_place_.column);
        d.source_line = std::move(e.source_line);
        d.caret = e.caret;
        const size_t on_line = [&] {
          size_t n = 0;
          for (const TextPlace& p : reader_->row_fields()) n += p.line == key_place_.line;
          return n - 1;
        }();
        notes.insert(notes.begin(),
                     note_here(at, "this row's line holds " + std::to_string(on_line) +
                                       (on_line == 1 ? " value" : " values") +
                                       "; the compiler took the next ones from the lines "
                                       "after it, up to this field"));
      }
    }
  }
  d.notes = std::move(notes);
  if (const char* then = consequence(code)) {
    Note n;
    n.message = then;
    d.notes.push_back(std::move(n));
  }
  record(std::move(d));
}

void Compilation::fault_at_place(int32_t code, const std::string& detail, const TextPlace& at,
                                 std::vector<Note> notes) {
  s_.error_code = code;
  Diagnostic d;
  d.code = code;
  d.message = error_message(code);
  if (!detail.empty()) d.message += ": " + detail;
  if (source_ != nullptr) {
    d.file = source_->name;
    d.line = at.line;
    d.column = at.column + 1;
    if (reader_) {
      Excerpt e = make_excerpt(reader_->line_at(at.line_start), at.column);
      d.source_line = std::move(e.source_line);
      d.caret = e.caret;
    }
  }
  d.notes = std::move(notes);
  if (const char* then = consequence(code)) {
    Note n;
    n.message = then;
    d.notes.push_back(std::move(n));
  }
  record(std::move(d));
}

bool Compilation::fault_without_row(int32_t code, const std::string& detail) {
  key_place_valid_ = false;
  fault(code, std::nullopt, detail);
  return false;
}

bool Compilation::position_ok(int64_t p, int64_t margin) {
  if (static_cast<double>(p + margin) / 50.0 > static_cast<double>(s_.last_cell)) {
    fault(15, low32(p), {}, 1);
    return false;
  }
  return true;
}

TrackCell& Compilation::cell(int64_t i) {
  if (!s_.track_allocated || i < 0 || i > s_.last_cell) {
    // The caret goes under the row's position.
    if (!failure_place_ && key_place_valid_ && reader_ && reader_->row_fields().size() > 1) {
      failure_place_ = reader_->row_fields()[1];
    }
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
  const size_t cell = static_cast<size_t>(i);
  if (source_ == nullptr || !key_place_valid_) {
    origins_->cells.forget(cell);
    return;
  }
  origins_->cells.set(cell, source_->name, key_place_.line, key_place_.column);
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

// Warnings.

void Compilation::warn(WarningName w, size_t field, const std::string& message,
                       std::vector<Note> notes) {
  if (!wants(w) || !reader_) return;
  warn_at(w, field_place(field), message, std::move(notes));
}

void Compilation::warn_at(WarningName w, const TextPlace& at, const std::string& message,
                          std::vector<Note> notes) {
  if (!wants(w) || !reader_ || source_ == nullptr) return;
  Warning warning;
  warning.id = w;
  warning.name = warning_name(w);
  warning.file = source_->name;
  warning.line = at.line;
  warning.column = at.column + 1;
  warning.message = message;
  warning.excerpt = make_excerpt(reader_->line_at(at.line_start), at.column);
  warning.notes = std::move(notes);
  if (std::optional<Note> after = after_stop_note()) {
    warning.notes.push_back(std::move(*after));
    read_on_->warnings.push_back(std::move(warning));
    return;
  }
  warnings_->list.push_back(std::move(warning));
}

}  // namespace compactor
