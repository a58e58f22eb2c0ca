// The built-in service description, read back from the file dati_treno
// writes, and the whole built-in scenario compiled from both sources.
#include "sources/service_description.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <gtest/gtest.h>

#include "driver/row_table_lines.h"
#include "sources/exported_source.h"
#include "driver/scratch_dir.h"

#include "driver/command_line.h"
#include "driver/compile_driver.h"
#include "driver/files.h"
#include "driver/run.h"
#include "model/file_names.h"
#include "sources/line_description.h"

#ifndef COMPACTOR_DOCS_DIR
#error "COMPACTOR_DOCS_DIR names the repository's docs directory"
#endif

namespace compactor {
namespace {

namespace fs = std::filesystem;

const char* const kFile = "Lavena_Codrano2_ES 2718-.txt";

fs::path fresh_dir(const std::string& tag) {
  return testing::scratch_dir("service_" + tag);
}

const std::string& exported() {
  static const std::string bytes = testing::exported_bytes(dati_treno, kFile);
  return bytes;
}

const std::vector<std::string>& lines() {
  static const std::vector<std::string> l = testing::split_crlf(exported());
  return l;
}

testing::Sections sections() { return testing::split_sections(lines()); }

std::vector<std::string> section(const std::string& header) {
  return testing::section_rows(sections(), header);
}

// A row of right-aligned columns: `key`, then for each width a comma and a
// number padded on the left to exactly that many characters; `rest` gets
// what follows the last column.
std::optional<std::vector<long>> columns(const std::string& row, const std::string& key,
                                         const std::vector<int>& widths, std::string* rest) {
  static const std::regex kColumn(" *(0|-?[1-9][0-9]*)");
  if (row.compare(0, key.size(), key) != 0) return std::nullopt;
  size_t at = key.size();
  std::vector<long> out;
  for (int w : widths) {
    if (at + 1 + w > row.size() || row[at] != ',') return std::nullopt;
    const std::string cell = row.substr(at + 1, w);
    std::smatch m;
    if (!std::regex_match(cell, m, kColumn)) return std::nullopt;
    out.push_back(std::stol(m[1]));
    at += 1 + w;
  }
  *rest = row.substr(at);
  return out;
}

const std::vector<int> kStationWidths = {8, 3, 5, 3, 2, 2, 3, 1, 1, 3, 1, 1, 5, 4, 2, 2};
const std::vector<int> kSignalWidths = {8, 4, 2, 2, 3, 2, 5, 3, 1, 1};

struct Speed {
  long position, speed;
};
struct Station {
  std::vector<long> v;  // v[1] to v[16] as numbered in the row; v[0] unused
  std::string name;
  long position() const { return v[1]; }
  long type() const { return v[2]; }
  long length() const { return v[3]; }
  long seconds() const { return (v[14] * 60 + v[15]) * 60 + v[16]; }
};
struct Signal {
  long position, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

std::vector<Speed> speeds() {
  std::vector<Speed> out;
  for (const std::string& row : section("[vel_limite]")) {
    std::string rest;
    const auto v = columns(row, "velocita", {8, 6}, &rest);
    EXPECT_TRUE(v && rest.empty()) << "row out of form: \"" << row << "\"";
    if (v && rest.empty()) out.push_back({(*v)[0], (*v)[1]});
  }
  return out;
}

std::vector<Station> stations() {
  static const std::regex kName(", ([A-Z](?:[A-Z .'-]*[A-Z.])?)");
  std::vector<Station> out;
  for (const std::string& row : section("[stazioni]")) {
    std::string rest;
    const auto v = columns(row, "stazione", kStationWidths, &rest);
    std::smatch m;
    const bool ok = v && std::regex_match(rest, m, kName);
    EXPECT_TRUE(ok) << "row out of form: \"" << row << "\"";
    if (!ok) continue;
    Station s;
    s.v = {0};
    s.v.insert(s.v.end(), v->begin(), v->end());
    s.name = m[1];
    out.push_back(s);
  }
  return out;
}

std::vector<Signal> signals() {
  static const std::regex kTempo(", (0|[1-9][0-9]*)");
  std::vector<Signal> out;
  for (const std::string& row : section("[segnali]")) {
    std::string rest;
    const auto v = columns(row, "segnale", kSignalWidths, &rest);
    std::smatch m;
    const bool ok = v && std::regex_match(rest, m, kTempo);
    EXPECT_TRUE(ok) << "row out of form: \"" << row << "\"";
    if (!ok) continue;
    const std::vector<long>& x = *v;
    out.push_back({x[0], x[1], x[2], x[3], x[4], x[5], x[6], x[7], x[8], x[9], std::stol(m[1])});
  }
  return out;
}

// The platform the compiler derives from a station row.
std::pair<long, long> platform(const Station& s) {
  const long p = s.position(), L = s.length();
  if (s.type() == 5 || s.type() == 6) return {p - L, p + 150};
  if (s.type() == 7 || s.type() == 8) return {p - L, p + L};
  return {p - L / 2, p + L / 2 + (s.v[6] != 0 ? 50 : 0)};
}

template <class T, class F>
std::map<long, int> tally(const std::vector<T>& items, F value) {
  std::map<long, int> out;
  for (const T& item : items) ++out[value(item)];
  return out;
}

TEST(ServiceDescription, TheFileIs198CrLfLinesOfPlainAsciiWithoutTheEndMarker) {
  const std::string& bytes = exported();
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  for (unsigned char c : bytes) {
    const bool ok = c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7f);
    ASSERT_TRUE(ok) << "byte " << int(c);
  }
  ASSERT_EQ(lines().size(), 198u);
  EXPECT_EQ(lines().front(), "[generale]");
  EXPECT_EQ(lines()[196], "[codici]");
  EXPECT_EQ(lines().back(), "[fine]");
  for (const std::string& line : lines()) {
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(line.find("riferimento fine del file"), std::string::npos);
  }
  const RowTable& rows = service_description_rows();
  ASSERT_EQ(rows.size(), 199u);
  EXPECT_EQ(rows[198], kEndMarker);
}

TEST(ServiceDescription, TheFileNameKeepsTheTrainNamesBlankAndAnOldFileIsReplaced) {
  const fs::path dir = fresh_dir("replace");
  const Names names;
  ASSERT_EQ(file_names::service_source(names), kFile);
  {
    std::ofstream old(dir / kFile, std::ios::binary);
    old << std::string(30000, 'y') << "\r\n";
  }
  dati_treno(dir.string(), names);
  EXPECT_EQ(read_file((dir / kFile).string()), exported());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

TEST(ServiceDescription, SectionsComeInOrderWithTheirRowCounts) {
  const std::vector<std::pair<std::string, size_t>> expected = {
      {"[generale]", 4},       {"[aderenze]", 1}, {"[vel_limite]", 29}, {"[stazioni]", 35},
      {"[rallentamenti]", 1}, {"[segnali]", 120}, {"[codici]", 0},     {"[fine]", 0},
  };
  const auto got = sections();
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(got[i].first, expected[i].first);
    EXPECT_EQ(got[i].second.size(), expected[i].second) << expected[i].first;
    for (const char* key : {"aderenza", "velocit", "stazione", "rallentamento", "segnale"})
      EXPECT_EQ(got[i].first.find(key), std::string::npos) << got[i].first << " holds " << key;
  }
}

TEST(ServiceDescription, TheGeneralAdhesionAndSlowdownRowsAreExact) {
  const std::vector<std::string> general = {
      "numero vetture,    12",
      "percentuale massa frenata,    135",
      "sabbia,    60",
      "orologio,    16              12            40 ",
  };
  EXPECT_EQ(section("[generale]"), general);
  EXPECT_EQ(general[3].size(), 46u);
  EXPECT_EQ(section("[aderenze]"), std::vector<std::string>{"aderenza,   0,    100"});
  EXPECT_EQ(section("[rallentamenti]"),
            std::vector<std::string>{"rallentamento,  213950,    60,  200, 0,  1,  60"});
}

TEST(ServiceDescription, QuotedRowsStandAtTheirPlace) {
  struct Case {
    const char* header;
    int index;  // -1: the last row; -2: anywhere in the section
    const char* row;
  };
  const Case cases[] = {
      {"[vel_limite]", 0, "velocita,       0,   115"},
      {"[vel_limite]", 1, "velocita,    2950,   170"},
      {"[vel_limite]", -2, "velocita,   18290,   150"},
      {"[vel_limite]", -1, "velocita,  238750,    70"},
      {"[stazioni]", 0, "stazione,       0,  8,  500,  0, 0, 0,  1,1,0,  4,1,1,    1,  16,13, 0, LAVENA"},
      {"[stazioni]", -1,
       "stazione,  238950,  2,  600,  1, 0, 0,  1,1,0,  2,1,1,    0,  18,10, 0, CODRANO CENTRALE"},
      {"[segnali]", 0, "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0"},
      {"[segnali]", -2, "segnale,   15950,   2, 4, 1,  0, 0,    1,  3,1,0, 255"},
      {"[segnali]", -2, "segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0"},
      {"[segnali]", -1, "segnale,  237900,   2, 2, 3,  1, 1,    2,  2,1,1, 0"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> rows = section(c.header);
    ASSERT_FALSE(rows.empty()) << c.header;
    if (c.index == -2) {
      EXPECT_EQ(std::count(rows.begin(), rows.end(), c.row), 1) << c.row;
    } else {
      const std::string& at = c.index == -1 ? rows.back() : rows.at(static_cast<size_t>(c.index));
      EXPECT_EQ(at, c.row);
    }
  }
}

TEST(ServiceDescription, EveryRowFillsItsColumnsExactly) {
  // The parsers refuse a row whose columns are shifted, so the counts show it.
  EXPECT_EQ(speeds().size(), 29u);
  EXPECT_EQ(stations().size(), 35u);
  EXPECT_EQ(signals().size(), 120u);
}

TEST(ServiceDescription, PositionsRiseStrictlyInStepsOf50SaveTheTwoKnownRows) {
  std::vector<std::pair<std::string, std::vector<long>>> lists(3);
  lists[0].first = "speeds";
  for (const Speed& s : speeds()) lists[0].second.push_back(s.position);
  lists[1].first = "stations";
  for (const Station& s : stations()) lists[1].second.push_back(s.position());
  lists[2].first = "signals";
  for (const Signal& s : signals()) lists[2].second.push_back(s.position);
  for (const auto& [what, positions] : lists) {
    for (size_t i = 0; i < positions.size(); ++i) {
      const long p = positions[i];
      if (i > 0) { EXPECT_GT(p, positions[i - 1]) << what << " at " << p; }
      const bool known_exception = (what == "speeds" && p == 18290) || (what == "signals" && p == 17230);
      if (!known_exception) { EXPECT_EQ(p % 50, 0) << what << " at " << p; }
    }
  }
}

TEST(ServiceDescription, SpeedLimitsChangeAtEveryRowWithinTheirRange) {
  const std::vector<Speed> v = speeds();
  ASSERT_EQ(v.size(), 29u);
  EXPECT_EQ(v.front().position, 0);
  long lowest = 1000, highest = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    EXPECT_EQ(v[i].speed % 5, 0) << v[i].position;
    lowest = std::min(lowest, v[i].speed);
    highest = std::max(highest, v[i].speed);
    if (i > 0) { EXPECT_NE(v[i].speed, v[i - 1].speed) << "no change at " << v[i].position; }
  }
  EXPECT_EQ(lowest, 70);
  EXPECT_EQ(highest, 180);
}

TEST(ServiceDescription, StationsHaveTheirTypesLengthsAndValues) {
  const std::vector<Station> st = stations();
  ASSERT_EQ(st.size(), 35u);
  EXPECT_EQ(tally(st, [](const Station& s) { return s.type(); }),
            (std::map<long, int>{{2, 2}, {4, 1}, {8, 1}, {12, 25}, {22, 1}, {28, 5}}));
  EXPECT_EQ(st.front().type(), 8);
  EXPECT_EQ(st.back().type(), 2);
  int four_hundred = 0;
  for (const Station& s : st) {
    EXPECT_EQ(s.length() % 100, 0) << s.name;
    EXPECT_GE(s.length(), 200) << s.name;
    EXPECT_LE(s.length(), 700) << s.name;
    four_hundred += s.length() == 400;
    EXPECT_EQ(s.v[5], 0) << s.name;
    EXPECT_EQ(s.v[9], 0) << s.name;
    // Types 28 carry none of values 7 to 12, type 22 none of 7 to 9.
    const int last_zero = s.type() == 28 ? 12 : s.type() == 22 ? 9 : 6;
    for (int i = 7; i <= last_zero; ++i) EXPECT_EQ(s.v[i], 0) << s.name << " value " << i;
  }
  EXPECT_EQ(four_hundred, 21);
  EXPECT_EQ(tally(st, [](const Station& s) { return s.v[4]; }), (std::map<long, int>{{0, 33}, {1, 2}}));
  EXPECT_EQ(st.back().v[4], 1);
  EXPECT_EQ(tally(st, [](const Station& s) { return s.v[6]; }), (std::map<long, int>{{0, 34}, {1, 1}}));
  EXPECT_EQ(tally(st, [](const Station& s) { return s.v[13]; }),
            (std::map<long, int>{{0, 32}, {1, 1}, {99, 1}, {125, 1}}));
  EXPECT_EQ(st.front().v[13], 1);
}

TEST(ServiceDescription, OnlyLavenaAnconaAndCodranoCentraleCarryATime) {
  // Rows with a time: LAVENA twenty seconds after the clock, ANCONA, CODRANO CENTRALE.
  std::vector<std::pair<std::string, long>> timed;
  for (const Station& s : stations())
    if (s.seconds() != 0) timed.push_back({s.name, s.seconds()});
  const std::vector<std::pair<std::string, long>> expected = {
      {"LAVENA", (16 * 60 + 12) * 60 + 40 + 20},
      {"ANCONA", (16 * 60 + 55) * 60 + 42},
      {"CODRANO CENTRALE", (18 * 60 + 10) * 60},
  };
  EXPECT_EQ(timed, expected);
  for (const Station& s : stations()) {
    EXPECT_EQ(s.name == "ANCONA", s.v[13] == 99) << s.name;
    if (s.name == "ANCONA") { EXPECT_EQ(s.position(), 93000); }
  }
}

TEST(ServiceDescription, StationsLieApartAlongTheLineWithTheirNamedNeighbours) {
  const std::vector<Station> st = stations();
  ASSERT_EQ(st.size(), 35u);
  std::set<std::string> names;
  for (size_t i = 0; i < st.size(); ++i) {
    EXPECT_TRUE(names.insert(st[i].name).second) << "twice: " << st[i].name;
    if (i > 0) { EXPECT_GE(platform(st[i]).first - 350, platform(st[i - 1]).second) << st[i].name; }
  }
  EXPECT_EQ(st.front().position(), 0);
  EXPECT_EQ(st.back().position(), 238950);
  EXPECT_TRUE(names.count("PEDASO"));
  // The slowdown at 213950 lies between ROSETO and the next station, PINETO.
  size_t before = 0;
  while (before + 1 < st.size() && st[before + 1].position() < 213950) ++before;
  EXPECT_EQ(st[before].name, "ROSETO");
  EXPECT_EQ(st.at(before + 1).name, "PINETO");
}

TEST(ServiceDescription, SignalsHaveTheirValues) {
  const std::vector<Signal> sg = signals();
  ASSERT_EQ(sg.size(), 120u);
  EXPECT_EQ(tally(sg, [](const Signal& s) { return s.sx; }), (std::map<long, int>{{2, 120}}));
  const std::map<long, int> s1 = tally(sg, [](const Signal& s) { return s.s1; });
  EXPECT_EQ(s1.at(4), 109);
  for (const auto& [value, n] : s1) EXPECT_TRUE(value >= 2 && value <= 5) << "s1 " << value;
  for (size_t i = 0; i < sg.size(); ++i) {
    EXPECT_EQ(sg[i].rapp, i + 1 == sg.size() ? 1 : 0) << sg[i].position;
    EXPECT_TRUE(sg[i].dx >= 0 && sg[i].dx <= 2) << sg[i].position;
    if (sg[i].position >= 100250) { EXPECT_EQ(sg[i].dx, 2) << sg[i].position; }
  }
  std::vector<long> tempos;
  for (const Signal& s : sg)
    if (s.tempo != 0) tempos.push_back(s.tempo);
  EXPECT_EQ(tempos, (std::vector<long>{255, 110, 220, 115, 215}));
}

TEST(ServiceDescription, BlockSignalsStandEveryCoupleOfKilometres) {
  const std::vector<Signal> sg = signals();
  for (size_t i = 1; i < sg.size(); ++i) {
    const long gap = sg[i].position - sg[i - 1].position;
    EXPECT_GE(gap, 1200) << sg[i].position;
    EXPECT_LE(gap, 2500) << sg[i].position;
  }
}

// The line's speed boards agree with the service's limits: a board without
// stripes shows the limit that holds from it on, and every change of limit but
// the terminal one has such a board at most 50 m before it.
TEST(ServiceDescription, SpeedBoardsOfTheLineShowTheLimitsOfTheService) {
  std::vector<std::pair<long, long>> boards;  // position, vcs of the boards without stripes
  bool in_boards = false;
  for (const std::string& row : line_description_rows()) {
    if (!row.empty() && row.front() == '[') in_boards = row == "[cartelli]";
    else if (in_boards) {
      long p, a, b, c, stripes;
      ASSERT_EQ(std::sscanf(row.c_str(), "indicatori_vmax, %ld, %ld, %ld, %ld, %ld", &p, &a, &b, &c, &stripes), 5);
      if (stripes == 0) boards.push_back({p, c});
    }
  }
  const std::vector<Speed> limits = speeds();
  auto limit_at = [&](long p) {
    long v = 0;
    for (const Speed& s : limits)
      if (s.position <= p) v = s.speed;
    return v;
  };
  for (const auto& [p, c] : boards) EXPECT_EQ(c, limit_at(p + 50)) << "board at " << p;
  for (size_t i = 1; i + 1 < limits.size(); ++i) {
    const long p = limits[i].position;
    const bool announced = std::any_of(boards.begin(), boards.end(), [&](const auto& b) {
      return b.first <= p && p - b.first <= 50 && b.second == limits[i].speed;
    });
    EXPECT_TRUE(announced) << "no board for the limit at " << p;
  }
}

// docs/line.md carries the table the crew documents are written from.
TEST(ServiceDescription, TheLineTableInTheDocsAgreesWithTheRows) {
  const std::string doc = read_file(std::string(COMPACTOR_DOCS_DIR) + "/line.md");
  auto km = [](long p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld.%03ld", (111000 + p) / 1000, (111000 + p) % 1000);
    return std::string(buf);
  };
  std::vector<std::string> station_rows, speed_rows;
  static const std::regex kStationRow(R"(\| [0-9]+ \| [A-Z][^|]* \| -?[0-9]+ \| .*)");
  static const std::regex kSpeedRow(R"(\| [0-9]+ \| [0-9]+ \| [0-9.]+ \| [0-9]+ \| (start|up|down) \|)");
  size_t at = 0;
  while (at < doc.size()) {
    size_t end = doc.find('\n', at);
    if (end == std::string::npos) end = doc.size();
    const std::string line = doc.substr(at, end - at);
    at = end + 1;
    if (std::regex_match(line, kSpeedRow)) speed_rows.push_back(line);
    else if (std::regex_match(line, kStationRow)) station_rows.push_back(line);
  }
  const std::vector<Station> st = stations();
  ASSERT_EQ(station_rows.size(), st.size());
  for (size_t i = 0; i < st.size(); ++i) {
    const auto [from, to] = platform(st[i]);
    std::string time;
    if (st[i].seconds() != 0) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", st[i].v[14], st[i].v[15], st[i].v[16]);
      time = buf;
    }
    const std::string expected = "| " + std::to_string(i + 1) + " | " + st[i].name + " | " +
                                 std::to_string(st[i].position()) + " | " + km(st[i].position()) + " | " +
                                 std::to_string(st[i].type()) + " | " + std::to_string(st[i].length()) +
                                 " | " + std::to_string(from) + " to " + std::to_string(to) + " | " + time +
                                 " |";
    EXPECT_EQ(station_rows[i], expected);
  }
  const std::vector<Speed> sp = speeds();
  ASSERT_EQ(speed_rows.size(), sp.size());
  for (size_t i = 0; i < sp.size(); ++i) {
    const std::string change = i == 0 ? "start" : sp[i].speed > sp[i - 1].speed ? "up" : "down";
    const std::string expected = "| " + std::to_string(i + 1) + " | " + std::to_string(sp[i].position) + " | " +
                                 km(sp[i].position) + " | " + std::to_string(sp[i].speed) + " | " + change + " |";
    EXPECT_EQ(speed_rows[i], expected);
  }
}

// ---- The whole built-in scenario, compiled ---------------------------------

struct Cell {
  int kind, a, b, c, d, signal_time, approach, tunnel, speed_step, gradient, adhesion;
};

struct Entry {
  int kind;
  int32_t long1, long2, long3;
  int flag;
  std::string text;
  int int1, int2, int3, int4, int5, byte1, byte2, byte3, byte4;
  int32_t long4;
};

template <class T>
T take(const std::string& bytes, size_t& at) {
  T v;
  if (at + sizeof v > bytes.size()) throw std::out_of_range("past the end of the file");
  std::memcpy(&v, bytes.data() + at, sizeof v);  // the files are little-endian, as is the test host
  at += sizeof v;
  return v;
}

std::vector<Cell> read_track(const std::string& bytes) {
  std::vector<Cell> out;
  for (size_t at = 0; at + 15 <= bytes.size();) {
    Cell c;
    c.kind = take<uint8_t>(bytes, at);
    c.a = take<int16_t>(bytes, at);
    c.b = take<int16_t>(bytes, at);
    c.c = take<int16_t>(bytes, at);
    c.d = take<int16_t>(bytes, at);
    c.signal_time = take<uint8_t>(bytes, at);
    c.approach = take<uint8_t>(bytes, at);
    c.tunnel = take<uint8_t>(bytes, at);
    c.speed_step = take<uint8_t>(bytes, at);
    c.gradient = take<uint8_t>(bytes, at);
    c.adhesion = take<uint8_t>(bytes, at);
    out.push_back(c);
  }
  return out;
}

std::vector<Entry> read_table(const std::string& bytes) {
  std::vector<Entry> out;
  size_t at = 0;
  while (at < bytes.size()) {
    Entry e;
    e.kind = take<uint8_t>(bytes, at);
    e.long1 = take<int32_t>(bytes, at);
    e.long2 = take<int32_t>(bytes, at);
    e.long3 = take<int32_t>(bytes, at);
    e.flag = take<uint8_t>(bytes, at);
    const uint16_t n = take<uint16_t>(bytes, at);
    e.text = bytes.substr(at, n);
    at += n;
    e.int1 = take<int16_t>(bytes, at);
    e.int2 = take<int16_t>(bytes, at);
    e.int3 = take<int16_t>(bytes, at);
    e.int4 = take<int16_t>(bytes, at);
    e.int5 = take<int16_t>(bytes, at);
    e.byte1 = take<uint8_t>(bytes, at);
    e.byte2 = take<uint8_t>(bytes, at);
    e.byte3 = take<uint8_t>(bytes, at);
    e.byte4 = take<uint8_t>(bytes, at);
    e.long4 = take<int32_t>(bytes, at);
    out.push_back(e);
  }
  return out;
}

class BuiltInScenario : public ::testing::Test {
 protected:
  struct Compiled {
    CompileRun run;
    std::string path, table, track;
  };

  // Compiles the two built-in sources once for the suite, as the built-in run does.
  static const Compiled& compiled() {
    static const Compiled c = [] {
      const fs::path dir = fresh_dir("compile");
      const Names names;
      Sources sources;
      sources.line = SourceText{file_names::line_source(names), render_rows(line_description_rows())};
      sources.service = SourceText{file_names::service_source(names), render_rows(service_description_rows())};
      Compiled out{memorizza_percorso(1, names, sources, dir.string()), {}, {}, {}};
      if (!out.run.fatal) {
        out.path = read_file((dir / file_names::path_file(names)).string());
        out.table = read_file((dir / file_names::table_file(names)).string());
        out.track = read_file((dir / file_names::track_file(names)).string());
      }
      fs::remove_all(dir);
      return out;
    }();
    return c;
  }
  static const std::vector<Cell>& track() {
    static const std::vector<Cell> t = read_track(compiled().track);
    return t;
  }
  static const std::vector<Entry>& table() {
    static const std::vector<Entry> t = read_table(compiled().table);
    return t;
  }
};

TEST_F(BuiltInScenario, CompilesWithoutAnyFault) {
  const CompileRun& run = compiled().run;
  EXPECT_FALSE(run.fatal) << *run.fatal;
  EXPECT_EQ(run.scenario.error_code, 0);
  EXPECT_EQ(run.scenario.error_position, 0);
  for (const Diagnostic& d : run.diagnostics) ADD_FAILURE() << "code " << d.code << ": " << d.message;
  const Names names;
  EXPECT_EQ(run.written, (std::vector<std::string>{file_names::path_file(names), file_names::table_file(names),
                                                   file_names::track_file(names)}));
  EXPECT_EQ(compiled().path.size(), 4959964u);
  EXPECT_EQ(compiled().track.size(), 74415u);
  EXPECT_EQ(table().size(), 87u);
}

TEST_F(BuiltInScenario, ThePathFileOpensBothHalvesWithTheStartingPoints) {
  const std::string& path = compiled().path;
  ASSERT_EQ(path.size(), 4959964u);
  EXPECT_EQ(path.substr(0, 10), std::string("\x02\x00\x00\x00\x02\x00\x00\x00\x05\x00", 10));
  EXPECT_EQ(path.substr(2479982, 10), std::string("\x02\x00\x00\x00\x02\x00\x01\x00\x05\x00", 10));
  EXPECT_EQ(path.substr(2479982 - 4, 4), std::string(4, '\0'));
}

TEST_F(BuiltInScenario, TheTrackShowsTheWorkedCells) {
  ASSERT_EQ(track().size(), 4961u);
  struct Case {
    int cell, kind, a, b, c, d;
    const char* what;
  };
  const Case cases[] = {
      {41, 1, 40, 0, 0, 6, "signal at 2000"},
      {60, 6, 2828, 3232, 3434, 0, "speed board at 2950"},
      {346, 1, 42, 11, 11, 8, "signal at 17230"},
      {384, 6, 2020, 2121, 2222, 22, "speed board at 19150"},
      {1951, 14, 80, 0, 0, 0, "direction board at 97500"},
      {4249, 14, 79, 0, 0, 0, "direction board at 212400"},
      {4252, 5, 4, 4, 0, 0, "slowdown approach"},
      {4253, 5, 3, 3, 0, 0, "slowdown approach"},
      {4254, 5, 2, 2, 0, 0, "slowdown approach"},
      {4255, 5, 1, 1, 0, 0, "slowdown approach"},
      {4256, 4, 60, 60, 0, 0, "slowdown warning"},
      {4280, 3, 60, 60, 0, 0, "slowdown start"},
      {4284, 2, 60, 60, 0, 0, "slowdown end"},
      // The block pass: one point in each window before the start ...
      {4275, 12, 180, 0, 0, 0, "near window"},
      {4269, 12, 180, 0, 0, 0, "middle window"},
      {4262, 12, 180, 0, 0, 0, "far window"},
      // ... in front of the signal near the warning and of the first after the end.
      {4240, 12, 180, 0, 0, 0, "before the signal at 212000"},
      {4290, 12, 180, 0, 0, 0, "before the signal at 214500"},
      {9, 10, 1, 0, 0, 0, "LAVENA's station point"},
      {1, 0, 5121, track()[1].b, 0, 0, "stamped cell"},
  };
  for (const Case& c : cases) {
    const Cell& got = track()[c.cell];
    EXPECT_EQ(got.kind, c.kind) << c.what;
    EXPECT_EQ(got.a, c.a) << c.what;
    EXPECT_EQ(got.b, c.b) << c.what;
    EXPECT_EQ(got.c, c.c) << c.what;
    EXPECT_EQ(got.d, c.d) << c.what;
  }
  // Approach codes: 61 to 64 before the signal at 2000, 81 to 84 before the
  // one at 17230 and before LAVENA's station point.
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(track()[41 - 2 * k].approach, 60 + k);
    EXPECT_EQ(track()[346 - 2 * k].approach, 80 + k);
    EXPECT_EQ(track()[9 - k].approach, 80 + k);
  }
  // No other slowdown cell between the warning and the end.
  for (int i = 4257; i < 4284; ++i)
    if (i != 4262 && i != 4269 && i != 4275 && i != 4280) { EXPECT_EQ(track()[i].kind, 0) << i; }
}

TEST_F(BuiltInScenario, TheTrackCarriesSpeedsGradientsAndTunnels) {
  ASSERT_EQ(track().size(), 4961u);
  // Speeds: 115 to cell 58, 170 from cell 59, 150 from cell 366.
  EXPECT_EQ(track()[0].speed_step, 23);
  EXPECT_EQ(track()[58].speed_step, 23);
  EXPECT_EQ(track()[59].speed_step, 34);
  EXPECT_EQ(track()[365].speed_step, 34);
  EXPECT_EQ(track()[366].speed_step, 30);
  EXPECT_EQ(track()[4957].speed_step, 14);  // 70 km/h to the end
  // Gradients: 0 to cell 159, +6 from cell 160.
  EXPECT_EQ(track()[159].gradient, 100);
  EXPECT_EQ(track()[160].gradient, 106);
  EXPECT_EQ(track()[4957].adhesion, 100);
  for (int i = 4958; i <= 4960; ++i) {
    EXPECT_EQ(track()[i].speed_step, 0) << i;
    EXPECT_EQ(track()[i].gradient, 0) << i;
    EXPECT_EQ(track()[i].adhesion, 0) << i;
  }
  // Tunnels of type 1 over cells 487 to 526 and 1867 to 1963.
  for (int i = 480; i <= 1970; ++i) {
    const bool inside = (i >= 487 && i <= 526) || (i >= 1867 && i <= 1963);
    EXPECT_EQ(track()[i].tunnel, inside ? 1 : 0) << i;
  }
  for (int i = 490; i <= 526; i += 4) EXPECT_EQ(track()[i].kind, 11) << i;
}

TEST_F(BuiltInScenario, TheTableHoldsStationsBoardsAndLineData) {
  ASSERT_EQ(table().size(), 87u);
  const Entry& lavena = table()[1];
  EXPECT_EQ(lavena.kind, 8);
  EXPECT_EQ(lavena.long1, -500);
  EXPECT_EQ(lavena.long2, 500);
  EXPECT_EQ(lavena.long3, 0);
  EXPECT_EQ(lavena.text, "LAVENA");
  EXPECT_EQ(std::vector<int>({lavena.int1, lavena.int2, lavena.int3, lavena.int4, lavena.int5}),
            std::vector<int>({1, 1, 4, 1, 1}));
  EXPECT_EQ(std::vector<int>({lavena.byte1, lavena.byte2, lavena.byte3, lavena.byte4}),
            std::vector<int>({0, 1, 0, 0}));
  EXPECT_EQ(lavena.long4, 58380);
  EXPECT_EQ(table()[14].text, "ANCONA");
  EXPECT_EQ(table()[14].long4, 60942);
  EXPECT_EQ(table()[35].text, "CODRANO CENTRALE");
  EXPECT_EQ(table()[35].long4, 65400);
  EXPECT_EQ(table()[36].text, "");
  EXPECT_EQ(table()[79].text, "(Km 323+402)");
  EXPECT_EQ(table()[80].text, "(Km 208+500)");
  EXPECT_EQ(table()[78].text, "");
  EXPECT_EQ(table()[81].long2, 111000);
  EXPECT_EQ(table()[84].long1, 135);
  EXPECT_EQ(table()[84].long2, 241000);
  EXPECT_EQ(table()[84].long3, 12);
  EXPECT_EQ(table()[85].text, "Lavena_Codrano2");
  EXPECT_EQ(table()[86].text, "ES 2718");
  EXPECT_EQ(std::vector<int>({table()[86].int1, table()[86].int3, table()[86].int4, table()[86].int5}),
            std::vector<int>({60, 16, 12, 40}));
  EXPECT_EQ(table()[86].long3, 4);
}

// The built-in run leaves the compiled files and no source; export leaves the two sources.
TEST(BuiltInSources, AreGoneAfterABuiltInRunAndLeftByExport) {
  const Names names;
  const fs::path dir = fresh_dir("run");
  // Stale sources of an interrupted run are replaced, not appended to.
  {
    std::ofstream(dir / file_names::line_source(names), std::ios::binary) << "[generale]\r\nstale\r\n";
    std::ofstream(dir / file_names::service_source(names), std::ios::binary) << "stale\r\n";
  }
  Command run;
  run.mode = Mode::kBuiltIn;
  run.dir = dir.string();
  EXPECT_EQ(run_command(run), kExitClean);
  EXPECT_FALSE(fs::exists(dir / file_names::line_source(names)));
  EXPECT_FALSE(fs::exists(dir / file_names::service_source(names)));
  EXPECT_EQ(fs::file_size(dir / file_names::path_file(names)), 4959964u);
  EXPECT_TRUE(fs::exists(dir / file_names::table_file(names)));
  EXPECT_EQ(fs::file_size(dir / file_names::track_file(names)), 74415u);

  Command exp;
  exp.mode = Mode::kExport;
  exp.dir = dir.string();
  EXPECT_EQ(run_command(exp), kExitClean);
  EXPECT_EQ(read_file((dir / file_names::line_source(names)).string()), render_rows(line_description_rows()));
  EXPECT_EQ(read_file((dir / file_names::service_source(names)).string()), exported());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace compactor
