#include "documents/train_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "driver/row_table_lines.h"
#include "documents/source_rows.h"
#include "sources/line_description.h"
#include "sources/service_description.h"

namespace compactor {
namespace {

using testing::file_lines;

const char* const kRule =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
const char* const kEmptyRow =
    " |     |     |          |     |                            |                |     |";

// The index ranges of the four pages' table rows.
struct Rows {
  size_t first, last;
};
constexpr Rows kPage1Rows = {16, 46};
constexpr Rows kPage2Rows = {68, 94};
constexpr Rows kTableRows[] = {{16, 46}, {68, 98}, {119, 149}, {169, 199}};

// The lines of the boxes and the table head, from the top of a page's
// identity box to the rule under the head.
std::vector<std::string> page_head(const char* page, const char* train, const char* destination,
                                   const char* classification) {
  return {
      "  ___________________                                               ______________",
      page,
      train,
      destination,
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      classification,
      " |___________________|              |___________________|",
      "",
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      kRule,
  };
}

const char* const kTrain = " |   TRENO n. 2716   |                   da: Lavena                |    V250 C    |";
const char* const kDestination =
    " |___________________|                    a: Codrano Centrale      |     135%     |";
const char* const kClassification = " |        ES         |              |      680T         |";
const char* const kBlankPage =
    " |                   |                    SCHEDA 0/0               |              |";
const char* const kBlankTrain =
    " |   TRENO n.xxxxx   |                   da: xxxxxx                |    Vxxx C    |";
const char* const kBlankDestination =
    " |___________________|                    a: xxxxxx                |     xxx%     |";
const char* const kBlankClassification = " |        xxx        |              |      xxxT         |";

void expect_lines_at(const std::vector<std::string>& lines, size_t first, const std::vector<std::string>& want) {
  for (size_t k = 0; k < want.size(); ++k) {
    ASSERT_LT(first + k, lines.size());
    EXPECT_EQ(lines[first + k], want[k]) << "line " << first + k;
  }
}

TEST(TrainSheetTest, FixedLinesFollowTheLineMap) {
  const std::vector<std::string> lines = file_lines(train_sheet_rows());
  ASSERT_EQ(lines.size(), 202u);

  expect_lines_at(lines, 2,
                  page_head(" |                   |                    SCHEDA 1/2               |              |",
                            kTrain, kDestination, kClassification));
  expect_lines_at(lines, 54,
                  page_head(" |                   |                    SCHEDA 2/2               |              |",
                            kTrain, kDestination, kClassification));
  for (size_t top : {105u, 155u}) {
    expect_lines_at(lines, top, page_head(kBlankPage, kBlankTrain, kBlankDestination, kBlankClassification));
  }
  for (size_t i : {47u, 99u, 150u, 200u}) EXPECT_EQ(lines[i], kRule) << "line " << i;
  for (size_t i : {0u, 1u, 48u, 49u, 50u, 52u, 53u, 100u, 101u, 102u, 104u, 151u, 152u, 154u, 201u}) {
    EXPECT_EQ(lines[i], "") << "line " << i;
  }
  EXPECT_EQ(lines[51], std::string(81, '.'));
  EXPECT_EQ(lines[103], std::string(72, '.'));
  EXPECT_EQ(lines[153], std::string(72, '.'));
  for (Rows empty : {Rows{95, 98}, Rows{119, 149}, Rows{169, 199}}) {
    for (size_t i = empty.first; i <= empty.last; ++i) EXPECT_EQ(lines[i], kEmptyRow) << "line " << i;
  }
}

TEST(TrainSheetTest, SampleRowsAsQuoted) {
  const std::vector<std::string> lines = file_lines(train_sheet_rows());
  ASSERT_EQ(lines.size(), 202u);
  EXPECT_EQ(lines[16], " | 115 | 110 | 111.040  |     | LAVENA                     |         16.03  |     |");
  const std::string quoted[] = {
      " | 170 | 155 | 114.000  |     | Cippo Km 114.000           |                |     |",
      " |     |     | 204.000  |     | ANCONA                     | 16.52 - 16.55  | 0.5 |",
  };
  for (const std::string& q : quoted) {
    int found = 0;
    for (size_t i = kPage1Rows.first; i <= kPage2Rows.last; ++i) found += lines[i] == q;
    EXPECT_EQ(found, 1) << q;
  }
}

TEST(TrainSheetTest, BoxAndTableLinesHaveTheirBarsInPlace) {
  const std::vector<std::string> lines = file_lines(train_sheet_rows());
  ASSERT_EQ(lines.size(), 202u);
  auto bars = [](const std::string& s) {
    std::vector<size_t> at;
    for (size_t p = 0; p < s.size(); ++p)
      if (s[p] == '|') at.push_back(p);
    return at;
  };
  const std::vector<size_t> table_bars = {1, 7, 13, 24, 30, 59, 76, 82};
  for (Rows r : kTableRows) {
    for (size_t i = r.first - 3; i <= r.last + 1; ++i) {  // the head's two text lines and rule to the closing rule
      SCOPED_TRACE("line " + std::to_string(i));
      EXPECT_EQ(lines[i].size(), 83u);
      EXPECT_EQ(bars(lines[i]), table_bars);
    }
  }
  for (size_t top : {2u, 54u, 105u, 155u}) {
    for (size_t i = top + 1; i <= top + 3; ++i) {
      SCOPED_TRACE("line " + std::to_string(i));
      EXPECT_EQ(lines[i].size(), 83u);
      EXPECT_EQ(bars(lines[i]), (std::vector<size_t>{1, 21, 67, 82}));
    }
    // "da:" over "a:", both names beginning at 45.
    EXPECT_EQ(lines[top + 2].find(':'), 43u);
    EXPECT_EQ(lines[top + 3].find(':'), 43u);
    EXPECT_EQ(lines[top].size(), 82u);
    EXPECT_EQ(bars(lines[top + 4]), (std::vector<size_t>{67, 82}));
    for (size_t i = top + 6; i <= top + 8; ++i) {
      EXPECT_EQ(bars(lines[i]), (std::vector<size_t>{1, 21, 36, 56})) << "line " << i;
    }
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    for (unsigned char c : lines[i]) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "line " << i;
  }
}

// A filled row read back from its cells.
struct SheetRow {
  size_t index;
  int page;
  int limit = 0;    // 0 where blank
  int running = 0;  // 0 where blank
  std::string km;   // empty where blank
  std::string name;
  std::string time;  // the time cell as written
  std::string rec;
};

int speed_of(const std::string& cell) {
  static const std::regex form(R"( *([1-9][0-9]{1,2}) )");
  std::smatch m;
  if (cell == "     ") return 0;
  EXPECT_TRUE(std::regex_match(cell, m, form)) << "speed cell \"" << cell << "\"";
  return m.empty() ? -1 : std::stoi(m[1]);
}

SheetRow parse_row(const std::string& line, size_t index, int page) {
  SheetRow r;
  r.index = index;
  r.page = page;
  EXPECT_EQ(line.size(), 83u) << "line " << index;
  if (line.size() != 83) return r;
  r.limit = speed_of(line.substr(2, 5));
  r.running = speed_of(line.substr(8, 5));
  const std::string km = line.substr(14, 10);
  static const std::regex km_form(R"( ([0-9]{3}\.[0-9]{3})  )");
  std::smatch m;
  if (std::regex_match(km, m, km_form)) r.km = m[1];
  else EXPECT_EQ(km, std::string(10, ' ')) << "line " << index;
  EXPECT_EQ(line.substr(25, 5), "     ") << "line " << index;
  const std::string name = line.substr(31, 28);
  EXPECT_EQ(name[0], ' ') << "line " << index;
  const size_t first = name.find_first_not_of(' ');
  if (first != std::string::npos) {
    EXPECT_EQ(first, 1u) << "line " << index << ": names are left-aligned";
    r.name = name.substr(first, name.find_last_not_of(' ') - first + 1);
  }
  r.time = line.substr(60, 16);
  r.rec = line.substr(77, 5);
  return r;
}

std::vector<SheetRow> filled_rows() {
  const std::vector<std::string> lines = file_lines(train_sheet_rows());
  std::vector<SheetRow> rows;
  for (int page : {1, 2}) {
    const Rows r = page == 1 ? kPage1Rows : kPage2Rows;
    for (size_t i = r.first; i <= r.last && i < lines.size(); ++i) rows.push_back(parse_row(lines[i], i, page));
  }
  return rows;
}

bool is_station(const SheetRow& r) { return r.time != std::string(16, ' '); }

// Minutes after midnight of the times in a time cell (one, or two for a stop).
std::vector<int> times_of(const SheetRow& r) {
  const std::regex forms[] = {
      std::regex(R"( {9}([0-9]{2})\.([0-9]{2}) {2})"),                                   // departure
      std::regex(R"( {2}([0-9]{2})\.([0-9]{2}) {9})"),                                   // arrival
      std::regex(R"( ([0-9]{2})\.([0-9]{2}) - ([0-9]{2})\.([0-9]{2}) {2})"),            // stop
      std::regex(r.page == 1 ? R"( {5}([0-9]{2})\.([0-9]{2}) {6})" : R"( {4}([0-9]{2})\.([0-9]{2}) {7})"),
  };
  std::smatch m;
  for (const std::regex& f : forms) {
    if (!std::regex_match(r.time, m, f)) continue;
    std::vector<int> t;
    for (size_t g = 1; g + 1 < m.size(); g += 2) t.push_back(std::stoi(m[g]) * 60 + std::stoi(m[g + 1]));
    return t;
  }
  ADD_FAILURE() << "line " << r.index << ": time cell \"" << r.time << "\"";
  return {};
}

bool has_lower_case(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

TEST(TrainSheetTest, FilledRowsDescribeTheRunInOrder) {
  const std::vector<SheetRow> rows = filled_rows();
  ASSERT_EQ(rows.size(), 58u);

  int stations = 0, both_speeds = 0, limit_only = 0;
  std::string last_km;
  int last_limit = 0;
  int running_in_force = 0;
  int last_time = -1;
  for (const SheetRow& r : rows) {
    SCOPED_TRACE("line " + std::to_string(r.index) + " " + r.name);
    if (!r.km.empty()) {
      EXPECT_GT(r.km, last_km) << "progressives increase";
      last_km = r.km;
    }
    if (r.limit != 0) {
      EXPECT_NE(r.limit, last_limit) << "a limit is shown only where it changes";
      EXPECT_EQ(r.limit % 5, 0);
      last_limit = r.limit;
      ++(r.running != 0 ? both_speeds : limit_only);
      if (r.running != 0) running_in_force = r.running;
      EXPECT_LE(running_in_force, r.limit) << "the running speed in force stays within the limit";
    } else {
      EXPECT_EQ(r.running, 0) << "a running speed goes with a limit";
    }
    if (is_station(r)) {
      ++stations;
      EXPECT_FALSE(r.km.empty());
      EXPECT_FALSE(has_lower_case(r.name)) << "station names are in capitals";
      for (int t : times_of(r)) {
        EXPECT_GT(t, last_time) << "times increase";
        last_time = t;
      }
      EXPECT_TRUE(r.rec == "     " || r.rec == "  1  " || r.rec == " 0.5 ") << r.rec;
    } else {
      EXPECT_EQ(r.rec, "     ") << "Rec figures stand at stations";
      EXPECT_TRUE(r.name.empty() || has_lower_case(r.name)) << "line points are in mixed case";
    }
  }
  EXPECT_EQ(stations, 35);
  EXPECT_EQ(both_speeds, 24);
  EXPECT_EQ(limit_only, 5);
  EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const SheetRow& r) { return r.name.empty(); }), 1);

  EXPECT_EQ(rows.front().name, "LAVENA");
  EXPECT_EQ(rows.front().time, "         16.03  ");
  EXPECT_EQ(rows.back().name, "CODRANO CENTRALE");
  EXPECT_EQ(rows.back().time, "  18.10         ");
  const SheetRow& page1_last = rows[30];
  const SheetRow& page2_first = rows[31];
  EXPECT_EQ(page1_last.km, "246.000");
  EXPECT_EQ(page1_last.name, "Cippo Km 246.000");
  EXPECT_EQ(page2_first.km, "246.700");
}


// The sheet describes the run of the built-in service: these tests read both
// and compare, so that neither can change without the other.

struct ServiceStation {
  int position;
  std::string name;
  int hours, minutes, seconds;
};

std::vector<ServiceStation> service_stations() {
  std::vector<ServiceStation> out;
  for (const auto& v : testing::rows_with_key(service_description_rows(), "stazione")) {
    EXPECT_EQ(v.size(), 17u);
    if (v.size() != 17) continue;
    out.push_back({std::stoi(v[0]), v[16], std::stoi(v[13]), std::stoi(v[14]), std::stoi(v[15])});
  }
  return out;
}

struct ServiceLimit {
  int position;
  int speed;
};

std::vector<ServiceLimit> service_limits() {
  std::vector<ServiceLimit> out;
  for (const auto& v : testing::rows_with_key(service_description_rows(), "velocita")) {
    EXPECT_EQ(v.size(), 2u);
    if (v.size() == 2) out.push_back({std::stoi(v[0]), std::stoi(v[1])});
  }
  return out;
}

// Metres along the line of a sheet kilometre such as "129.290".
int position_of(const std::string& km) {
  return std::stoi(km.substr(0, 3)) * 1000 + std::stoi(km.substr(4)) - 111000;
}

TEST(TrainSheetServiceTest, StationRowsAreTheServiceStations) {
  const std::vector<ServiceStation> service = service_stations();
  std::vector<SheetRow> sheet;
  for (const SheetRow& r : filled_rows())
    if (is_station(r)) sheet.push_back(r);
  ASSERT_EQ(sheet.size(), service.size());
  ASSERT_EQ(service.size(), 35u);
  for (size_t i = 0; i < service.size(); ++i) {
    SCOPED_TRACE(service[i].name);
    EXPECT_EQ(sheet[i].name, service[i].name);
    // The origin's progressive is printed as 111.040, the platform's end.
    EXPECT_EQ(sheet[i].km, i == 0 ? "111.040" : testing::kilometre_of(service[i].position));
  }
}

TEST(TrainSheetServiceTest, TimesAgreeWithTheServiceTimetable) {
  const std::vector<ServiceStation> service = service_stations();
  std::vector<SheetRow> sheet;
  for (const SheetRow& r : filled_rows())
    if (is_station(r)) sheet.push_back(r);
  ASSERT_EQ(sheet.size(), service.size());
  size_t timed = 0;
  for (size_t i = 0; i < service.size(); ++i) {
    const ServiceStation& s = service[i];
    if (s.hours == 0 && s.minutes == 0 && s.seconds == 0) continue;
    SCOPED_TRACE(s.name);
    ++timed;
    const int service_minutes = s.hours * 60 + s.minutes;
    const std::vector<int> t = times_of(sheet[i]);
    ASSERT_FALSE(t.empty());
    if (i == 0) {
      // The run starts ten minutes behind the sheet's departure.
      EXPECT_EQ(sheet[i].time, "         16.03  ");
      EXPECT_EQ(t.back() + 10, service_minutes);
    } else {
      EXPECT_EQ(t.back(), service_minutes) << "the sheet's departure (or arrival) minute";
    }
  }
  EXPECT_EQ(timed, 3u);
}

TEST(TrainSheetServiceTest, SpeedColumnCarriesTheServiceLimitsWhereTheyLie) {
  const std::vector<ServiceLimit> service = service_limits();
  const std::vector<SheetRow> rows = filled_rows();
  std::vector<const SheetRow*> limit_rows;
  for (const SheetRow& r : rows)
    if (r.limit != 0) limit_rows.push_back(&r);
  ASSERT_EQ(service.size(), 29u);
  ASSERT_EQ(limit_rows.size(), service.size());
  for (size_t i = 0; i < service.size(); ++i) {
    const SheetRow& r = *limit_rows[i];
    SCOPED_TRACE("limit " + std::to_string(i + 1) + " at " + std::to_string(service[i].position) + ", line " +
                 std::to_string(r.index));
    EXPECT_EQ(r.limit, service[i].speed);
    if (i > 0) {
      EXPECT_NE(service[i].speed, service[i - 1].speed) << "the service repeats a limit";
    }
    ASSERT_FALSE(r.km.empty()) << "a limit stands at a point with a progressive";
    const int at = position_of(r.km);
    // Where the sheet has a row at the limit's own kilometre, the limit is there.
    for (const SheetRow& other : rows) {
      if (!other.km.empty() && position_of(other.km) == service[i].position) {
        EXPECT_EQ(&other, &r);
      }
    }
    // Otherwise it stands on the safe side: a reduction no later, a rise no
    // earlier than the service, and never past a neighbouring limit.
    const bool reduction = i > 0 && service[i].speed < service[i - 1].speed;
    if (reduction) {
      EXPECT_LE(at, service[i].position);
    } else {
      EXPECT_GE(at, service[i].position);
    }
    if (i > 0) {
      EXPECT_GT(at, service[i - 1].position);
    }
    if (i + 1 < service.size()) {
      EXPECT_LT(at, service[i + 1].position);
    }
  }
}

TEST(TrainSheetServiceTest, TunnelMouthsStandAtTheLineTunnels) {
  const auto tunnels = testing::rows_with_key(line_description_rows(), "montagna");
  ASSERT_FALSE(tunnels.empty());
  std::vector<std::string> mouths;
  for (const SheetRow& r : filled_rows())
    if (r.name.find("galleria") != std::string::npos) mouths.push_back(r.km);
  ASSERT_EQ(mouths.size(), tunnels.size());
  for (size_t i = 0; i < tunnels.size(); ++i) {
    EXPECT_EQ(mouths[i], testing::kilometre_of(std::stoi(tunnels[i][0]))) << "tunnel " << i + 1;
  }
}

}  // namespace
}  // namespace compactor
