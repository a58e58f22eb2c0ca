#include "lsp/analysis.h"

#include <algorithm>
#include <cstdlib>

#include "compiler/rounding.h"
#include "format/format.h"
#include "lsp/text.h"

namespace compactor::lsp {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool is_header_line(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return !line.empty() && line.front() != '-' && line.find('[') != std::string_view::npos &&
         line.find(']') != std::string_view::npos;
}

json position(int line, int character) { return {{"line", line}, {"character", character}}; }

json range(int line, int from, int to) {
  return {{"start", position(line, from)}, {"end", position(line, to)}};
}

// The range of bytes [from, to) of line `n` of `lines`, in UTF-16 columns.
json line_range(const std::vector<std::string_view>& lines, int n, size_t from, size_t to) {
  if (n < 0 || static_cast<size_t>(n) >= lines.size()) return range(std::max(n, 0), 0, 0);
  const std::string_view l = lines[static_cast<size_t>(n)];
  return range(n, utf16_column(l, from), utf16_column(l, to));
}

const char* kind_name(uint8_t kind) {
  switch (kind) {
    case kPlain: return "plain track";
    case kSignal: return "signal";
    case kSlowdownEnd: return "slowdown end";
    case kSlowdownStart: return "slowdown start";
    case kSlowdownWarning: return "slowdown warning";
    case kSlowdownApproach: return "slowdown approach";
    case kSpeedIndicator: return "speed indicator";
    case kStationPoint: return "station point";
    case kTunnelMarker: return "tunnel marker";
    case kReductionPoint: return "speed reduction point";
    case kReductionPointNoValue: return "speed reduction point without value";
    case kDirectionBoard: return "direction board";
    default: return "unknown kind";
  }
}

std::optional<int64_t> number(const std::string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (end == nullptr || *end != '\0') return std::nullopt;
  return v;
}

int64_t round_even(double v) { return round_half_even(v); }

bool same_row(const SourcePlace& place, const std::string& uri, int line) {
  return place.known() && place.file == uri && place.line == line + 1;
}

// The row at which a diagnostic without a source row is shown: the slowdown
// whose cells lie nearest the cell it names.
std::optional<SourcePlace> slowdown_near(const Analysis& a, int64_t cell) {
  const Scenario& s = a.run.scenario;
  std::optional<SourcePlace> best;
  int64_t best_distance = 0;
  for (size_t i = 0; i < a.origins.cells.size() && i < s.track.size(); ++i) {
    const uint8_t k = s.track[i].kind;
    if (k < kSlowdownEnd || k > kSlowdownApproach || !a.origins.cells.known(i)) continue;
    const int64_t distance = std::llabs(static_cast<int64_t>(i) - cell);
    if (!best || distance < best_distance) {
      best = a.origins.cells[i];
      best_distance = distance;
    }
  }
  return best;
}

std::string cell_text(const Scenario& s, int64_t i) {
  std::string out = "cell " + std::to_string(i) + " (" + std::to_string(i * 50) + " m, " +
                    kilometre(s, i * 50) + ")";
  if (i < 0 || static_cast<size_t>(i) >= s.track.size()) return out + ": outside the track";
  const TrackCell& c = s.track[static_cast<size_t>(i)];
  out += ": " + std::string(kind_name(c.kind)) + " (kind " + std::to_string(c.kind) + ")";
  if (c.kind != kPlain && c.kind != kTunnelMarker) {
    out += ", paramA " + std::to_string(c.paramA) + ", paramB " + std::to_string(c.paramB) +
           ", paramC " + std::to_string(c.paramC) + ", paramD " + std::to_string(c.paramD);
  }
  if (c.kind == kSignal) out += ", signalTime " + std::to_string(c.signalTime);
  if (c.approach != 0) out += ", approach " + std::to_string(c.approach);
  return out;
}

// The byte range of the field that starts at byte `from`: a number to its
// last digit, any other field to the next comma or the line end, trailing
// blanks dropped.
std::pair<size_t, size_t> field_at(std::string_view line, size_t from) {
  from = std::min(from, line.size());
  size_t to = from;
  size_t p = from;
  if (p < line.size() && (line[p] == '+' || line[p] == '-')) ++p;
  if (p < line.size() && line[p] >= '0' && line[p] <= '9') {
    while (p < line.size() && line[p] >= '0' && line[p] <= '9') ++p;
    to = p;
  } else {
    while (to < line.size() && line[to] != ',') ++to;
    while (to > from && (line[to - 1] == ' ' || line[to - 1] == '\t')) --to;
  }
  if (to == from) to = std::min(line.size(), from + 1);
  return {from, to};
}

}  // namespace

format::SourceKind source_kind(std::string_view text) {
  bool in_general = false;
  for (std::string_view line : text_lines(text)) {
    const std::string l = lower(line);
    if (!in_general) {
      if (l.find("[generale]") != std::string::npos) in_general = true;
      continue;
    }
    if (is_header_line(line)) break;
    if (l.find("lunghezza") != std::string::npos && l.find("percorso") != std::string::npos) {
      return format::SourceKind::kLine;
    }
  }
  return format::SourceKind::kService;
}

Analysis analyse(std::string line_uri, std::string line_text, std::string service_uri,
                 std::string service_text, const Names& names, bool keep_path,
                 const WarningFlags& flags) {
  Analysis a;
  a.line_uri = std::move(line_uri);
  a.line_text = std::move(line_text);
  a.service_uri = std::move(service_uri);
  a.service_text = std::move(service_text);
  Sources sources;
  sources.line = SourceText{a.line_uri, a.line_text};
  sources.service = SourceText{a.service_uri.empty() ? std::string("(no service description)") : a.service_uri,
                               a.service_text};
  WarningSink sink;
  sink.enabled = flags.enabled;
  a.run = compile_scenario(keep_path ? 1 : 0, names, sources, &a.origins, &sink);
  a.warnings = std::move(sink.list);
  a.werror = flags.werror;
  return a;
}

std::string kilometre(const Scenario& s, int64_t metres) {
  // Entries 81 to 83 stand in descending order of start; a position before
  // every start counts from the first progressive.
  int64_t value = metres;
  for (int e = 81; e <= 83; ++e) {
    const TableEntry& p = s.table[static_cast<size_t>(e)];
    if (p.long1 == 0 && p.long2 == 0) continue;
    value = int64_t{p.long2} + (metres - p.long1);
    if (p.long1 <= metres) break;
  }
  const bool negative = value < 0;
  const int64_t m = negative ? -value : value;
  std::string rest = std::to_string(m % 1000);
  rest.insert(0, 3 - rest.size(), '0');
  return std::string("km ") + (negative ? "-" : "") + std::to_string(m / 1000) + "+" + rest;
}

json pairing_diagnostic(const std::string& message) {
  return {{"range", range(0, 0, 0)},
          {"severity", 2},
          {"code", "pairing"},
          {"source", "compactor"},
          {"message", message}};
}

std::map<std::string, std::vector<json>> diagnostics(const Analysis& a) {
  std::map<std::string, std::vector<json>> out;
  const Scenario& s = a.run.scenario;
  const std::vector<std::string_view> line_lines = text_lines(a.line_text);
  const std::vector<std::string_view> service_lines = text_lines(a.service_text);
  auto known_uri = [&](const std::string& uri) { return uri == a.line_uri || uri == a.service_uri; };
  auto lines_of = [&](const std::string& uri) -> const std::vector<std::string_view>& {
    return uri == a.line_uri ? line_lines : service_lines;
  };
  // The range at a 1-based line and 1-based byte column (0: the row's first field).
  auto range_at = [&](const std::string& uri, int line1, int column1) {
    const std::vector<std::string_view>& lines = lines_of(uri);
    const int n = line1 - 1;
    if (n < 0 || static_cast<size_t>(n) >= lines.size()) return range(std::max(n, 0), 0, 0);
    const std::string_view text = lines[static_cast<size_t>(n)];
    size_t from = 0;
    if (column1 > 0) {
      from = static_cast<size_t>(column1 - 1);
    } else {
      while (from < text.size() && (text[from] == ' ' || text[from] == '\t')) ++from;
    }
    const auto [f, t] = field_at(text, from);
    return line_range(lines, n, f, t);
  };
  // Notes with a place become related information; the others join the message.
  auto with_notes = [&](json d, const std::vector<Note>& notes) {
    json related = json::array();
    std::string message = d["message"];
    for (const Note& note : notes) {
      if (note.line > 0 && known_uri(note.file)) {
        related.push_back({{"location", {{"uri", note.file}, {"range", range_at(note.file, note.line, note.column)}}},
                           {"message", note.message}});
      } else {
        message += "\nnote: " + note.message;
      }
    }
    d["message"] = message;
    if (!related.empty()) d["relatedInformation"] = std::move(related);
    return d;
  };

  for (const Diagnostic& d : a.run.diagnostics) {
    std::string uri = d.file;
    int line = d.line;  // 1-based; 0: no row
    int column = line > 0 ? d.column : 0;
    if (uri.empty()) {
      // The block pass: on the row of its slowdown, which its first note names.
      uri = a.line_uri;
      line = 0;
      for (const Note& note : d.notes) {
        if (note.line > 0 && known_uri(note.file)) {
          uri = note.file;
          line = note.line;
          column = 0;
          break;
        }
      }
      if (line == 0 && d.position) {
        if (std::optional<SourcePlace> place = slowdown_near(a, *d.position / 50)) {
          uri = place->file;
          line = place->line;
        }
      }
    }
    if (!known_uri(uri)) continue;
    const std::vector<std::string_view>& lines = lines_of(uri);
    if (line == 0 && d.code == 2) {
      // A progressive off the 50 m grid: its row.
      for (size_t n = 0; n < lines.size() && line == 0; ++n) {
        std::optional<format::Row> row = format::parse_row(lines[n]);
        if (!row || row->shape->key.substr(0, 11) != "progressiva") continue;
        for (size_t v = 0; v < 2 && line == 0; ++v) {
          std::optional<int64_t> value = number(row->values[v].text);
          if (value && *value % 50 != 0) {
            line = static_cast<int>(n) + 1;
            column = static_cast<int>(row->values[v].begin) + 1;
          }
        }
      }
    }
    std::string message = d.message;
    if (d.position) message += " (at " + std::to_string(*d.position) + " m, " + kilometre(s, *d.position) + ")";
    out[uri].push_back(with_notes({{"range", line > 0 ? range_at(uri, line, column) : range(0, 0, 0)},
                                   {"severity", 1},
                                   {"code", "E" + std::to_string(d.code)},
                                   {"source", "compactor"},
                                   {"message", message}},
                                  d.notes));
  }
  for (const Warning& w : a.warnings) {
    const std::string uri = known_uri(w.file) ? w.file : a.line_uri;
    out[uri].push_back(with_notes({{"range", w.line > 0 && known_uri(w.file) ? range_at(uri, w.line, w.column) : range(0, 0, 0)},
                                   {"severity", a.werror ? 1 : 2},
                                   {"code", "-W" + w.name},
                                   {"source", "compactor"},
                                   {"message", w.message}},
                                  w.notes));
  }
  if (a.run.fatal_number) {
    out[a.line_uri].push_back({{"range", range(0, 0, 0)},
                               {"severity", 1},
                               {"code", "E" + std::to_string(*a.run.fatal_number)},
                               {"source", "compactor"},
                               {"message", "a reserved field is in use: the compiled files would not be written"}});
  }
  return out;
}

json hover(const Analysis* a, const std::string& uri, std::string_view text, int line, int character) {
  const std::vector<std::string_view> lines = text_lines(text);
  if (line < 0 || static_cast<size_t>(line) >= lines.size()) return nullptr;
  const std::string_view l = lines[static_cast<size_t>(line)];
  const std::optional<format::Row> row = format::parse_row(l);
  if (!row) return nullptr;
  const size_t at = byte_column(l, character);
  const format::RowShape& shape = *row->shape;
  const Scenario* s = a ? &a->run.scenario : nullptr;

  std::string md = "**" + row->key.text + "**: " + std::string(shape.summary) + "\n\n";
  int hovered = -1;
  for (size_t v = 0; v < row->values.size(); ++v) {
    if (at >= row->values[v].begin && at <= row->values[v].end) hovered = static_cast<int>(v);
  }
  for (size_t v = 0; v < row->values.size(); ++v) {
    const std::string item = "`" + std::string(shape.columns[v].name) + "` " + row->values[v].text;
    md += (v ? " · " : "") + (static_cast<int>(v) == hovered ? "**" + item + "**" : item);
  }
  md += "\n";

  // Positions: their kilometre and the cell they fall in.
  if (s != nullptr && s->track_allocated) {
    for (size_t v = 0; v < row->values.size(); ++v) {
      if (!shape.columns[v].position) continue;
      const std::optional<int64_t> p = number(row->values[v].text);
      if (!p) continue;
      md += "\n- `" + std::string(shape.columns[v].name) + "` " + std::to_string(*p) + " m, " + kilometre(*s, *p);
    }
    md += "\n";
  }

  if (a == nullptr) return {{"contents", {{"kind", "markdown"}, {"value", md}}}};

  // What the row placed in the compiled model, after the block pass.
  std::vector<int64_t> placed;
  for (size_t i = 0; i < a->origins.cells.size(); ++i) {
    if (a->origins.cells.known(i) && a->origins.cells.file(i) == uri && a->origins.cells.line(i) == line + 1) {
      placed.push_back(static_cast<int64_t>(i));
    }
  }
  std::string placed_md;
  for (int64_t i : placed) placed_md += "\n- " + cell_text(*s, i);
  for (int e = 0; e < kTableSize; ++e) {
    if (!same_row(a->origins.entries[static_cast<size_t>(e)], uri, line)) continue;
    const TableEntry& t = s->table[static_cast<size_t>(e)];
    if (shape.key == "stazione") {
      placed_md += "\n- table entry " + std::to_string(e) + ": station " + t.text + ", type " +
                   std::to_string(t.kind) + ", platform " + std::to_string(t.long1) + " to " +
                   std::to_string(t.long2) + " m (" + kilometre(*s, t.long1) + " to " +
                   kilometre(*s, t.long2) + "), time " + std::to_string(t.long4) + " s";
    } else {
      placed_md += "\n- table entry " + std::to_string(e) + ": text " + t.text;
    }
  }
  for (size_t n = 1; n < a->origins.tunnels.size(); ++n) {
    if (!same_row(a->origins.tunnels[n], uri, line)) continue;
    const int64_t first = round_even(s->tunnel_starts[n] / 50.0);
    const int64_t last = round_even(s->tunnel_ends[n] / 50.0 - 1.0);
    const uint8_t type = first >= 0 && static_cast<size_t>(first) < s->track.size()
                             ? s->track[static_cast<size_t>(first)].tunnel
                             : 0;
    placed_md += "\n- tunnel " + std::to_string(n) + ": cells " + std::to_string(first) + " to " +
                 std::to_string(last) + ", tunnel type " + std::to_string(type);
  }
  if (shape.key == "segnale" && placed.size() == 1) {
    placed_md += "\n- approach cells:";
    for (int k = 1; k <= 4; ++k) {
      const int64_t c = placed[0] - 2 * k;
      if (c < 0) continue;
      placed_md += " " + std::to_string(c) + " (" + std::to_string(s->track[static_cast<size_t>(c)].approach) + ")";
    }
  }
  if (shape.key == "stazione" && !placed.empty()) {
    placed_md += "\n- approach cells:";
    for (int k = 1; k <= 4; ++k) {
      const int64_t c = placed[0] - k;
      if (c < 0) continue;
      placed_md += " " + std::to_string(c) + " (" + std::to_string(s->track[static_cast<size_t>(c)].approach) + ")";
    }
  }
  if (shape.key == "rallentamento" && !placed.empty()) {
    // The block pass's points around the slowdown.
    const int64_t from = std::max<int64_t>(placed.front() - 22, 0);
    const int64_t to = std::min<int64_t>(placed.back() + 14, static_cast<int64_t>(s->track.size()) - 1);
    std::string points;
    for (int64_t c = from; c <= to; ++c) {
      const TrackCell& cell = s->track[static_cast<size_t>(c)];
      const bool from_row = a->origins.cells.known(static_cast<size_t>(c));
      if (cell.kind == kReductionPoint && !from_row) points += " " + std::to_string(c) + " (" + std::to_string(cell.paramA) + ")";
    }
    placed_md += "\n- block pass points:" + (points.empty() ? std::string(" none") : points);
  }
  if (placed_md.empty() && s->track_allocated && !row->values.empty() && shape.columns[0].position) {
    // Rows that fill the track from their position on.
    const std::optional<int64_t> p = number(row->values[0].text);
    if (p && !shape.general) {
      const int64_t n = round_even(static_cast<double>(*p) / 50.0);
      if (n >= 0 && static_cast<size_t>(n) < s->track.size()) {
        const TrackCell& c = s->track[static_cast<size_t>(n)];
        if (shape.key == "velocita") placed_md += "\n- from cell " + std::to_string(n) + ": speedStep " + std::to_string(c.speedStep);
        if (shape.key == "pendenza") placed_md += "\n- from cell " + std::to_string(n) + ": gradientCode " + std::to_string(c.gradientCode);
        if (shape.key == "aderenza") placed_md += "\n- from cell " + std::to_string(n) + ": adhesion " + std::to_string(c.adhesion);
      }
    }
  }
  if (!placed_md.empty()) {
    md += "\nPlaced in the compiled model:" + placed_md + "\n";
  } else if (!shape.general && shape.key != "velocita" && shape.key != "pendenza" && shape.key != "aderenza" &&
             shape.key != "curva") {
    md += "\nNothing placed in the compiled model";
    if (!a->run.diagnostics.empty()) {
      const Diagnostic& stop = a->run.diagnostics.front();
      md += ": the compile stopped at E" + std::to_string(stop.code) +
            (stop.line > 0 ? " on line " + std::to_string(stop.line) : std::string());
    }
    md += "\n";
  }
  return {{"contents", {{"kind", "markdown"}, {"value", md}}},
          {"range", line_range(lines, line, row->key.begin, row->values.empty() ? row->key.end : row->values.back().end)}};
}

json inlay_hints(const Analysis& a, std::string_view text, int first_line, int last_line) {
  json hints = json::array();
  const Scenario& s = a.run.scenario;
  const std::vector<std::string_view> lines = text_lines(text);
  for (int n = std::max(first_line, 0); n <= last_line && static_cast<size_t>(n) < lines.size(); ++n) {
    const std::string_view l = lines[static_cast<size_t>(n)];
    const std::optional<format::Row> row = format::parse_row(l);
    if (!row) continue;
    for (size_t v = 0; v < row->values.size(); ++v) {
      if (!row->shape->columns[v].position) continue;
      const std::optional<int64_t> p = number(row->values[v].text);
      if (!p) continue;
      hints.push_back({{"position", position(n, utf16_column(l, row->values[v].end))},
                       {"label", kilometre(s, *p)},
                       {"kind", 1},
                       {"paddingLeft", true}});
    }
  }
  return hints;
}

json document_symbols(std::string_view text) {
  const std::vector<std::string_view> lines = text_lines(text);
  json sections = json::array();
  int current = -1;
  auto close_section = [&](int last) {
    if (current < 0) return;
    json& section = sections[static_cast<size_t>(current)];
    const int end_line = std::max(last, section["range"]["start"]["line"].get<int>());
    section["range"]["end"] = position(end_line, utf16_column(lines[static_cast<size_t>(end_line)], lines[static_cast<size_t>(end_line)].size()));
  };
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string_view l = lines[n];
    const int line = static_cast<int>(n);
    if (is_header_line(l) && l.find(',') == std::string_view::npos) {
      close_section(line - 1);
      size_t from = 0;
      while (from < l.size() && (l[from] == ' ' || l[from] == '\t')) ++from;
      std::string name(l.substr(from));
      while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
      sections.push_back({{"name", name},
                          {"kind", 3},
                          {"range", line_range(lines, line, 0, l.size())},
                          {"selectionRange", line_range(lines, line, from, from + name.size())},
                          {"children", json::array()}});
      current = static_cast<int>(sections.size()) - 1;
      continue;
    }
    if (current < 0) continue;
    const std::optional<format::Row> row = format::parse_row(l);
    if (!row) continue;
    const std::string_view key = row->shape->key;
    std::string name, detail;
    int kind = 0;
    if (key == "stazione") {
      name = row->values.back().text;
      detail = row->values[0].text + " m";
      kind = 19;  // object
    } else if (key == "montagna") {
      name = "montagna " + row->values[0].text + " to " + row->values[1].text;
      detail = "tipo " + row->values[2].text;
      kind = 23;  // struct
    } else if (key == "rallentamento") {
      name = "rallentamento " + row->values[0].text;
      detail = row->values[1].text + " km/h over " + row->values[2].text + " m";
      kind = 24;  // event
    } else if (key == "cartello_indicatore") {
      name = row->values.back().text;
      detail = row->values[0].text + " m";
      kind = 15;  // string
    } else {
      continue;
    }
    sections[static_cast<size_t>(current)]["children"].push_back({{"name", name},
                                      {"detail", detail},
                                      {"kind", kind},
                                      {"range", line_range(lines, line, 0, l.size())},
                                      {"selectionRange", line_range(lines, line, row->key.begin, row->key.end)}});
  }
  if (!lines.empty()) close_section(static_cast<int>(lines.size()) - 1);
  return sections;
}

json completion_items(format::SourceKind kind) {
  json items = json::array();
  for (const format::RowShape& shape : format::row_shapes()) {
    if (shape.source != kind) continue;
    std::optional<format::Row> row = format::parse_row(shape.example);
    if (!row) continue;
    // The example row with each value a placeholder, padded as laid out.
    std::string snippet = shape.key == "curva" ? "curva${1:" + row->key.text.substr(5) + "}" : std::string(shape.key);
    int tab = shape.key == "curva" ? 2 : 1;
    std::string names;
    for (size_t v = 0; v < row->values.size(); ++v) {
      const format::Column& col = shape.columns[v];
      const std::string& value = row->values[v].text;
      std::string cell(col.before);
      if (col.width > 0 && value.size() < static_cast<size_t>(col.width)) cell.append(col.width - value.size(), ' ');
      if (col.blank_separated && cell.empty()) cell = " ";
      std::string escaped;
      for (char c : value) {
        if (c == '$' || c == '}' || c == '\\') escaped += '\\';
        escaped += c;
      }
      snippet += cell + "${" + std::to_string(tab++) + ":" + escaped + "}";
      names += (v ? ", " : "") + std::string(col.name);
    }
    snippet += shape.trailer;
    items.push_back({{"label", std::string(shape.key)},
                     {"kind", 15},  // snippet
                     {"detail", std::string(shape.summary)},
                     {"documentation", std::string(shape.general ? "[generale] row: " : "row: ") + names},
                     {"insertText", snippet},
                     {"insertTextFormat", 2}});
  }
  return items;
}

json formatting_edits(std::string_view text) {
  json edits = json::array();
  const std::vector<std::string_view> lines = text_lines(text);
  for (const format::LineEdit& e : format::format_edits(text)) {
    const std::string_view l = lines[e.line];
    edits.push_back({{"range", range(static_cast<int>(e.line), 0, utf16_column(l, l.size()))}, {"newText", e.text}});
  }
  return edits;
}

}  // namespace compactor::lsp
