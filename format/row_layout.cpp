#include "format/row_layout.h"

namespace compactor::format {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

Column pos(std::string_view name, std::string_view before, int width = 0) {
  return Column{name, before, width, true, false, false};
}
Column num(std::string_view name, std::string_view before, int width = 0) {
  return Column{name, before, width, false, false, false};
}
Column text(std::string_view name, std::string_view before) {
  return Column{name, before, 0, false, true, false};
}
Column spaced(std::string_view name, int width) {
  return Column{name, "", width, false, false, true};
}

std::vector<RowShape> make_shapes() {
  using K = SourceKind;
  const std::string_view g = ",    ";  // general rows: a comma and four spaces before each value
  std::vector<RowShape> shapes = {
      // The line description's general section.
      {"lunghezza percorso", K::kLine, true, "line length (m)", {num("length", g)}, "",
       "lunghezza percorso,    241000"},
      {"progressiva chilometrica uno", K::kLine, true, "kilometric progressive one",
       {pos("start", g), num("kilometre", g), num("flag", g)}, "",
       "progressiva chilometrica uno,    0,    111000,    0"},
      {"progressiva chilometrica due", K::kLine, true, "kilometric progressive two",
       {pos("start", g), num("kilometre", g), num("flag", g)}, "",
       "progressiva chilometrica due,    0,    0,    0"},
      {"progressiva chilometrica tre", K::kLine, true, "kilometric progressive three",
       {pos("start", g), num("kilometre", g), num("flag", g)}, "",
       "progressiva chilometrica tre,    0,    0,    0"},
      {"sfondo uno", K::kLine, true, "background one", {num("background", g)}, "", "sfondo uno,    1"},
      {"sfondo due", K::kLine, true, "background two", {num("background", g)}, "", "sfondo due,    0"},
      {"sfondo tre", K::kLine, true, "background three", {num("background", g)}, "", "sfondo tre,    0"},
      {"ripetizione segnali 4 codici", K::kLine, true, "signal repetition, 4 codes",
       {pos("start", g), pos("end", g)}, "", "ripetizione segnali 4 codici,    0,    239000"},
      {"ripetizione segnali 9 codici", K::kLine, true, "signal repetition, 9 codes",
       {pos("start", g), pos("end", g)}, "", "ripetizione segnali 9 codici,    0,    239000"},
      // The line description's features.
      {"curva", K::kLine, false, "curve: side s or d and class 1 to 6 in the key",
       {pos("start", ",  "), num("length", ",  ")}, "", "curvas3,  900,  1000"},
      {"pendenza", K::kLine, false, "gradient from the position on",
       {pos("position", ",  "), num("gradient", ",   ")}, "", "pendenza,  6000,   0"},
      {"montagna", K::kLine, false, "tunnel",
       {pos("inizio", ",   "), pos("fine", ",  "), num("tipo", ",  ")}, "",
       "montagna,   24350,  26350,  11"},
      {"indicatori_vmax", K::kLine, false, "line-side speed indicator",
       {pos("posizione", ",  "), num("vas", ",  "), num("vbs", ",  "), num("vcs", ",  "),
        num("strisces", ",  "), num("vad", ",  "), num("vbd", ",  "), num("vcd", ",  "),
        num("strisced", ",  ")},
       "", "indicatori_vmax,  2950,  140,  160,  170,  0,  140,  160,  170,  0"},
      {"cartello_indicatore", K::kLine, false, "direction board",
       {pos("position", ",  "), text("text", ",   ")}, "",
       "cartello_indicatore,  97500,   (Km 208+500)"},
      // The service description's general section.
      {"numero vetture", K::kService, true, "number of coaches", {num("coaches", g)}, "",
       "numero vetture,    12"},
      {"percentuale massa frenata", K::kService, true, "braked mass (%)", {num("braked mass", g)}, "",
       "percentuale massa frenata,    135"},
      {"sabbia", K::kService, true, "sand", {num("sand", g)}, "", "sabbia,    60"},
      {"orologio", K::kService, true, "starting clock: hours, minutes, seconds apart by blanks",
       {num("hours", g), spaced("minutes", 16), spaced("seconds", 14)}, " ",
       "orologio,    16              12            40 "},
      // The service description's features.
      {"aderenza", K::kService, false, "adhesion from the position on",
       {pos("position", ",   "), num("adhesion", ",    ")}, "", "aderenza,   0,    100"},
      {"velocita", K::kService, false, "speed limit (km/h) from the position on",
       {pos("position", ",", 8), num("speed", ",", 6)}, "", "velocita,       0,   115"},
      {"stazione", K::kService, false, "station",
       {pos("position", ",", 8), num("type", ",", 3), num("length", ",", 5),
        num("value 4 (flag)", ",", 3), num("value 5 (byte4)", ",", 2),
        num("value 6 (byte3, platform 50 m longer)", ",", 2), num("value 7 (int1)", ",", 3),
        num("value 8 (int2)", ",", 1), num("value 9 (byte1)", ",", 1),
        num("value 10 (int3)", ",", 3), num("value 11 (int4)", ",", 1),
        num("value 12 (int5)", ",", 1), num("value 13 (byte2)", ",", 5),
        num("hours", ",", 4), num("minutes", ",", 2), num("seconds", ",", 2), text("name", ", ")},
       "", "stazione,       0,  8,  500,  0, 0, 0,  1,1,0,  4,1,1,    1,  16,13, 0, LAVENA"},
      {"rallentamento", K::kService, false, "slowdown",
       {pos("x", ",  "), num("v", ",    "), num("l", ",  "), num("f_tt", ", "), num("f_ta", ",  "),
        num("d_v", ",  ")},
       "", "rallentamento,  213950,    60,  200, 0,  1,  60"},
      {"segnale", K::kService, false, "signal",
       {pos("posizione", ",", 8), num("sx", ",", 4), num("s1", ",", 2), num("s2", ",", 2),
        num("s3", ",", 3), num("rapp", ",", 2), num("dx", ",", 5), num("d1", ",", 3),
        num("d2", ",", 1), num("d3", ",", 1), num("tempo", ", ")},
       "", "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0"},
      {"abbattimento", K::kService, false, "speed reduction point",
       {pos("position", ",  "), num("value", ",  ")}, "", "abbattimento,  950,  60"},
  };
  return shapes;
}

bool is_curve_key(std::string_view key) {
  return key.size() == 7 && key.substr(0, 5) == "curva" && (key[5] == 's' || key[5] == 'd') &&
         key[6] >= '1' && key[6] <= '6';
}

// A whole number as the reader takes it: an optional sign and digits.
bool scan_number(std::string_view line, size_t& pos) {
  size_t p = pos;
  if (p < line.size() && (line[p] == '+' || line[p] == '-')) ++p;
  const size_t digits = p;
  while (p < line.size() && is_digit(line[p])) ++p;
  if (p == digits) return false;
  pos = p;
  return true;
}

size_t skip_blanks(std::string_view line, size_t pos) {
  while (pos < line.size() && is_blank(line[pos])) ++pos;
  return pos;
}

}  // namespace

std::span<const RowShape> row_shapes() {
  static const std::vector<RowShape> shapes = make_shapes();
  return shapes;
}

const RowShape* shape_for_key(std::string_view key) {
  if (is_curve_key(key)) key = "curva";
  for (const RowShape& shape : row_shapes()) {
    if (shape.key == key) return &shape;
  }
  return nullptr;
}

std::optional<Row> parse_row(std::string_view line) {
  // A carriage return inside a line is content; dropping the blanks after
  // one would make it a line end.
  if (line.find('\r') != std::string_view::npos) return std::nullopt;
  Row row;
  size_t pos = skip_blanks(line, 0);
  const size_t comma = line.find(',', pos);
  if (comma == std::string_view::npos) return std::nullopt;
  size_t key_end = comma;
  while (key_end > pos && is_blank(line[key_end - 1])) --key_end;
  row.key = Field{std::string(line.substr(pos, key_end - pos)), pos, key_end};
  row.shape = shape_for_key(row.key.text);
  if (row.shape == nullptr) return std::nullopt;
  pos = comma + 1;

  const std::vector<Column>& columns = row.shape->columns;
  for (size_t i = 0; i < columns.size(); ++i) {
    const Column& col = columns[i];
    const bool last = i + 1 == columns.size();
    if (col.blank_separated) {
      // A blank, not a comma, ends the value before.
      if (pos >= line.size() || !is_blank(line[pos])) return std::nullopt;
    }
    pos = skip_blanks(line, pos);
    const size_t begin = pos;
    if (col.text) {
      if (!last) return std::nullopt;
      size_t end = line.size();
      while (end > begin && is_blank(line[end - 1])) --end;
      const std::string_view value = line.substr(begin, end - begin);
      if (value.empty() || value.find(',') != std::string_view::npos) return std::nullopt;
      row.values.push_back(Field{std::string(value), begin, end});
      return row;
    }
    if (!scan_number(line, pos)) return std::nullopt;
    row.values.push_back(Field{std::string(line.substr(begin, pos - begin)), begin, pos});
    const size_t after = pos;
    pos = skip_blanks(line, pos);
    if (last) {
      if (pos != line.size()) return std::nullopt;
    } else if (columns[i + 1].blank_separated) {
      if (pos == after || pos >= line.size() || line[pos] == ',') return std::nullopt;
      pos = after;
    } else {
      if (pos >= line.size() || line[pos] != ',') return std::nullopt;
      ++pos;
    }
  }
  return row;
}

std::string layout_row(const Row& row) {
  std::string out = row.key.text;
  const std::vector<Column>& columns = row.shape->columns;
  for (size_t i = 0; i < columns.size() && i < row.values.size(); ++i) {
    const Column& col = columns[i];
    const std::string& value = row.values[i].text;
    std::string cell(col.before);
    if (col.width > 0 && value.size() < static_cast<size_t>(col.width)) {
      cell.append(static_cast<size_t>(col.width) - value.size(), ' ');
    }
    if (col.blank_separated && cell.empty()) cell = " ";
    out += cell;
    out += value;
  }
  out += row.shape->trailer;
  return out;
}

}  // namespace compactor::format
