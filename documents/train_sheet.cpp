#include "documents/train_sheet.h"

#include <array>
#include <string_view>

#include "driver/platform.h"
#include "model/file_names.h"

namespace compactor {
namespace {

// Identity box: bars at 1, 21, 67 and 82.
constexpr const char* kIdentityTop =
    "  ___________________                                               ______________";
constexpr const char* kIdentityFoot =
    "                                                                   |______________|";

// Classification boxes: bars at 1, 21, 36 and 56. The head line keeps its
// seven trailing spaces.
constexpr const char* kClassTop = "  ___________________                ___________________";
constexpr const char* kClassHead = " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ";
constexpr const char* kClassFoot = " |___________________|              |___________________|";

// Table head; its last line also closes every page's table.
constexpr const char* kTableTop =
    "  ________________________________________________________________________________";
constexpr const char* kTableHead1 =
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |";
constexpr const char* kTableHead2 =
    " | Lim.|Marc.|          |  Rs |                            |                |     |";
constexpr const char* kRule =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
constexpr const char* kEmptyRow =
    " |     |     |          |     |                            |                |     |";

constexpr int kRowsPerPage = 31;

// What a page's identity and classification boxes show.
struct PageBoxes {
  const char* page;
  const char* train;
  const char* destination;
  const char* classification;
};

constexpr PageBoxes kFilledPage1 = {
    " |                   |                    SCHEDA 1/2               |              |",
    " |   TRENO n. 2716   |                   da: Lavena                |    V250 C    |",
    " |___________________|                    a: Codrano Centrale      |     135%     |",
    " |        ES         |              |      680T         |",
};
constexpr PageBoxes kFilledPage2 = {
    " |                   |                    SCHEDA 2/2               |              |",
    kFilledPage1.train,
    kFilledPage1.destination,
    kFilledPage1.classification,
};
constexpr PageBoxes kBlankForm = {
    " |                   |                    SCHEDA 0/0               |              |",
    " |   TRENO n.xxxxx   |                   da: xxxxxx                |    Vxxx C    |",
    " |___________________|                    a: xxxxxx                |     xxx%     |",
    " |        xxx        |              |      xxxT         |",
};

// How a row's time is placed in the 16-character time cell.
enum class Time {
  kNone,       // not a station
  kDeparture,  // the origin: "         16.03  "
  kArrival,    // the destination: "  18.10         "
  kStop,       // arrival and departure: " 16.52 - 16.55  "
  kTransit,    // "     16.08      " on page 1, "    17.18       " on page 2
};

// One filled row. A speed of 0 leaves its cell blank: the value of the row
// above still holds. An empty kilometre is a point without a progressive.
struct SheetRow {
  int limit;
  int running;
  std::string_view km;
  std::string_view name;
  Time time_kind;
  std::string_view time;
  std::string_view rec;
};

// The filled rows follow the built-in service: its 35 stations with their
// kilometres and timetable, its 29 speed limits in order, and the line points
// between them. A limit stands at its own kilometre where the sheet has a row
// there; otherwise at the nearest station on the safe side, a reduction no
// later and a rise no earlier than the service has it.
constexpr Time D = Time::kDeparture;
constexpr Time A = Time::kArrival;
constexpr Time S = Time::kStop;
constexpr Time T = Time::kTransit;
constexpr Time N = Time::kNone;

// Page 1: from the origin to the kilometre stone at 246.000.
constexpr std::array<SheetRow, 31> kPage1 = {{
    {115, 110, "111.040", "LAVENA", D, "16.03", ""},
    {170, 155, "114.000", "Cippo Km 114.000", N, "", ""},
    {0, 0, "117.500", "SAN FELICE", T, "16.06", ""},
    {0, 0, "123.500", "BORGO LIRI", T, "16.10", ""},
    {150, 140, "129.290", "Torrente Rio Freddo", N, "", ""},
    {110, 105, "130.750", "Km 130.750", N, "", ""},
    {0, 0, "132.000", "CASTELMARE", T, "16.14", ""},
    {140, 130, "134.000", "Cippo Km 134.000", N, "", ""},
    {0, 0, "135.350", "Imb. galleria Serralta", N, "", ""},
    {160, 150, "139.500", "PONTE ROSSO", T, "16.18", ""},
    {180, 0, "146.000", "VALLECUPA", T, "16.21", ""},
    {0, 0, "153.000", "TORRE D'ARCE", T, "16.25", ""},
    {150, 145, "156.000", "Cippo Km 156.000", N, "", ""},
    {170, 160, "161.000", "MAROTTA", T, "16.29", ""},
    {0, 0, "169.500", "SENIGALLIA", T, "16.34", ""},
    {180, 170, "171.000", "Cippo Km 171.000", N, "", ""},
    {0, 0, "177.000", "MARZOCCA", T, "16.38", ""},
    {0, 0, "184.500", "MONTEMARCIANO", T, "16.42", ""},
    {0, 0, "192.500", "FALCONARA M.", T, "16.46", "1"},
    {130, 125, "198.500", "TORRETTE", T, "16.49", ""},
    {80, 75, "202.500", "Km 202.500", N, "", ""},
    {0, 0, "204.000", "ANCONA", S, "16.52 - 16.55", "0.5"},
    {0, 0, "204.350", "Imb. galleria Pietralta", N, "", ""},
    {120, 110, "209.500", "Fosso Rivo Secco", N, "", ""},
    {150, 140, "211.500", "VARANO", T, "16.59", ""},
    {180, 170, "217.500", "OSIMO", T, "17.02", ""},
    {0, 0, "224.000", "LORETO", T, "17.05", ""},
    {160, 155, "230.500", "PORTO RECANATI", T, "17.09", ""},
    {180, 0, "237.000", "POTENZA PICENA", T, "17.12", ""},
    {0, 0, "243.500", "CIVITANOVA M.", T, "17.15", "1"},
    {0, 0, "246.000", "Cippo Km 246.000", N, "", ""},
}};

// Page 2: from 246.700 to the destination. The signals and the switch before
// PINETO have no progressive.
constexpr std::array<SheetRow, 27> kPage2 = {{
    {0, 0, "246.700", "Torrente Acquarossa", N, "", ""},
    {0, 0, "250.500", "PORTO S. ELPIDIO", T, "17.19", ""},
    {0, 0, "257.000", "PORTO S. GIORGIO", T, "17.22", ""},
    {140, 135, "261.000", "Cippo Km 261.000", N, "", ""},
    {0, 0, "264.000", "PEDASO", T, "17.26", ""},
    {170, 160, "265.000", "Cippo Km 265.000", N, "", ""},
    {0, 0, "271.000", "CUPRA MARITTIMA", T, "17.29", ""},
    {0, 0, "277.000", "GROTTAMMARE", T, "17.33", ""},
    {180, 0, "283.500", "S. BENEDETTO", T, "17.36", "0.5"},
    {0, 0, "290.000", "PORTO D'ASCOLI", T, "17.39", ""},
    {0, 0, "297.500", "ALBA ADRIATICA", T, "17.43", ""},
    {150, 145, "301.000", "Cippo Km 301.000", N, "", ""},
    {0, 0, "304.000", "TORTORETO", T, "17.46", ""},
    {175, 165, "306.000", "Cippo Km 306.000", N, "", ""},
    {0, 0, "311.500", "GIULIANOVA", T, "17.50", "1"},
    {140, 135, "316.000", "Cippo Km 316.000", N, "", ""},
    {155, 150, "320.500", "ROSETO", T, "17.55", ""},
    {0, 0, "", "Segnale di avviso", N, "", ""},
    {0, 0, "", "Segnale di protezione", N, "", ""},
    {0, 0, "", "Deviatoio ingresso Pineto", N, "", ""},
    {170, 0, "329.000", "PINETO", T, "17.59", ""},
    {180, 0, "335.500", "SILVI", T, "18.03", ""},
    {130, 125, "341.000", "Cippo Km 341.000", N, "", ""},
    {0, 0, "342.500", "MONTESILVANO", T, "18.06", ""},
    {100, 95, "348.850", "Km 348.850", N, "", ""},
    {70, 65, "349.750", "", N, "", ""},
    {0, 0, "349.950", "CODRANO CENTRALE", A, "18.10", ""},
}};

// True when every value of every row fits its cell, so that formatting never
// cuts a value short or shifts a bar.
template <size_t Count>
constexpr bool fits(const std::array<SheetRow, Count>& rows) {
  for (const SheetRow& r : rows) {
    if (r.limit < 0 || r.limit > 999 || r.running < 0 || r.running > 999) return false;
    if (!r.km.empty() && r.km.size() != 7) return false;
    if (r.name.size() > 27) return false;
    if ((r.time_kind == Time::kNone) != r.time.empty()) return false;
    if (r.time.size() > (r.time_kind == Time::kStop ? 13u : 5u)) return false;
    if (r.rec.size() > 3) return false;
  }
  return true;
}
static_assert(fits(kPage1) && fits(kPage2));

std::string pad_right(std::string_view s, size_t width) {
  std::string out(s);
  out.resize(width, ' ');
  return out;
}

std::string pad_left(std::string_view s, size_t width) {
  return std::string(width - s.size(), ' ') + std::string(s);
}

// " 115 ": right-aligned in four characters and a space; blank when 0.
std::string speed_cell(int v) { return v == 0 ? "     " : pad_left(std::to_string(v), 4) + " "; }

std::string time_cell(Time kind, std::string_view t, int page) {
  switch (kind) {
    case Time::kNone: return pad_right("", 16);
    case Time::kDeparture: return pad_right(std::string(9, ' ') + std::string(t), 16);
    case Time::kArrival: return pad_right("  " + std::string(t), 16);
    case Time::kStop: return pad_right(" " + std::string(t), 16);
    case Time::kTransit:
      return pad_right(std::string(page == 1 ? 5 : 4, ' ') + std::string(t), 16);
  }
  return pad_right("", 16);
}

// "  1  ", " 0.5 ": centred in five characters.
std::string rec_cell(std::string_view rec) {
  const size_t left = (5 - rec.size() + 1) / 2;
  return pad_right(std::string(left, ' ') + std::string(rec), 5);
}

std::string format_row(const SheetRow& r, int page) {
  std::string s = " |";
  s += speed_cell(r.limit) + "|";
  s += speed_cell(r.running) + "|";
  s += pad_right(r.km.empty() ? "" : " " + std::string(r.km), 10) + "|";
  s += "     |";
  s += pad_right(" " + std::string(r.name), 28) + "|";
  s += time_cell(r.time_kind, r.time, page) + "|";
  s += rec_cell(r.rec) + "|";
  return s;
}

void add(RowTable& t, const char* line, int times = 1) {
  for (int i = 0; i < times; ++i) t.emplace_back(line);
}

void add_boxes(RowTable& t, const PageBoxes& b) {
  add(t, kIdentityTop);
  add(t, b.page);
  add(t, b.train);
  add(t, b.destination);
  add(t, kIdentityFoot);
  add(t, kClassTop);
  add(t, kClassHead);
  add(t, b.classification);
  add(t, kClassFoot);
  add(t, "");
  add(t, kTableTop);
  add(t, kTableHead1);
  add(t, kTableHead2);
  add(t, kRule);
}

// The boxes, the table head, the page's filled rows, empty rows up to 31,
// and the closing rule.
template <size_t Count>
void add_page(RowTable& t, const PageBoxes& b, const std::array<SheetRow, Count>& rows, int page) {
  static_assert(Count <= kRowsPerPage);
  add_boxes(t, b);
  for (const SheetRow& r : rows) t.push_back(format_row(r, page));
  add(t, kEmptyRow, kRowsPerPage - static_cast<int>(Count));
  add(t, kRule);
}

RowTable build() {
  RowTable t;
  add(t, "", 2);
  add_page(t, kFilledPage1, kPage1, 1);
  add(t, "", 3);
  t.emplace_back(81, '.');
  add(t, "", 2);
  add_page(t, kFilledPage2, kPage2, 2);
  add(t, "", 3);
  t.emplace_back(72, '.');
  add(t, "");
  add_page(t, kBlankForm, std::array<SheetRow, 0>{}, 0);
  add(t, "", 2);
  t.emplace_back(72, '.');
  add(t, "");
  add_page(t, kBlankForm, std::array<SheetRow, 0>{}, 0);
  add(t, "");
  t.emplace_back(kEndMarker);
  return t;
}

}  // namespace

const RowTable& train_sheet_rows() {
  static const RowTable rows = build();
  return rows;
}

void dati_scheda(const std::string& dir, const Names& names) {
  write_rows(platform::join(dir, file_names::train_sheet(names)), train_sheet_rows());
}

}  // namespace compactor
