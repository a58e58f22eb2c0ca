// The built-in line description, read back from the file dati_linea writes.
// The rows are hand-written data: these tests look for the slips a person
// makes in them (a wrong separator, a row out of order, a count that drifted,
// a board that does not mirror its other side).
#include "sources/line_description.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <gtest/gtest.h>

#include "driver/row_table_lines.h"
#include "sources/exported_source.h"
#include "driver/scratch_dir.h"

#include "driver/files.h"
#include "model/file_names.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

const char* const kFile = "Lavena_Codrano2_linea.txt";

fs::path fresh_dir(const std::string& tag) {
  return testing::scratch_dir("line_" + tag);
}

// The bytes of the exported line description, written once for the suite.
const std::string& exported() {
  static const std::string bytes = testing::exported_bytes(dati_linea, kFile);
  return bytes;
}

const std::vector<std::string>& lines() {
  static const std::vector<std::string> l = testing::split_crlf(exported());
  return l;
}

// The rows under each header, headers in file order.
testing::Sections sections() { return testing::split_sections(lines()); }

std::vector<std::string> section(const std::string& header) {
  return testing::section_rows(sections(), header);
}

// The numbers captured by `form` (a whole-row regex), as integers.
std::vector<long> fields(const std::string& row, const std::regex& form) {
  std::smatch m;
  if (!std::regex_match(row, m, form)) {
    ADD_FAILURE() << "row out of form: \"" << row << "\"";
    return {};
  }
  std::vector<long> out;
  for (size_t i = 1; i < m.size(); ++i) {
    const std::string s = m[i].str();
    if (!s.empty() && (std::isdigit(static_cast<unsigned char>(s.back())))) out.push_back(std::stol(s));
  }
  return out;
}

// Unpadded integers: no leading zeros, no "-0".
const std::string kNum = "(0|[1-9][0-9]*)";
const std::string kSigned = "(0|-?[1-9][0-9]*)";

const std::regex kCurve("curva([sd])([1-6]),  " + kNum + ",  " + kNum);
const std::regex kGradient("pendenza,  " + kNum + ",   " + kSigned);
const std::regex kTunnel("montagna,   " + kNum + ",  " + kNum + ",  " + kNum);
const std::regex kIndicator("indicatori_vmax(?:,  " + kNum + "){9}");
const std::regex kBoard("cartello_indicatore,  " + kNum + ",   (\\(Km ([0-9]+)\\+([0-9]{3})\\))");

// The nine indicator values (the repeated group of the regex keeps only the
// last capture, so they are split out by hand).
std::vector<long> indicator(const std::string& row) {
  if (!std::regex_match(row, kIndicator)) {
    ADD_FAILURE() << "row out of form: \"" << row << "\"";
    return std::vector<long>(9, 0);
  }
  std::vector<long> v;
  const std::string rest = row.substr(std::string("indicatori_vmax").size());
  for (size_t at = 0; at < rest.size();) {
    at += 3;  // ",  "
    size_t end = rest.find(',', at);
    if (end == std::string::npos) end = rest.size();
    v.push_back(std::stol(rest.substr(at, end - at)));
    at = end;
  }
  return v;
}

TEST(LineDescription, TheFileIs159CrLfLinesOfPlainAsciiWithoutTheEndMarker) {
  const std::string& bytes = exported();
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  for (unsigned char c : bytes) {
    const bool ok = c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7f);
    ASSERT_TRUE(ok) << "byte " << int(c);
  }
  ASSERT_EQ(lines().size(), 159u);
  EXPECT_EQ(lines().front(), "[generale]");
  EXPECT_EQ(lines().back(), "[fine]");
  for (const std::string& line : lines()) {
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(line.find('\r'), std::string::npos);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.find("riferimento fine del file"), std::string::npos);
  }
}

TEST(LineDescription, TheTableHoldsTheRowsThenTheMarkerWithinItsCapacity) {
  const RowTable& rows = line_description_rows();
  ASSERT_EQ(rows.size(), 160u);
  EXPECT_LE(rows.size(), kRowTableCapacity);
  EXPECT_EQ(rows[159], kEndMarker);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), std::string(kEndMarker)), 1);
}

TEST(LineDescription, AnExistingFileOfTheNameIsReplacedNotAppendedTo) {
  const fs::path dir = fresh_dir("replace");
  const Names names;
  ASSERT_EQ(file_names::line_source(names), kFile);
  {
    std::ofstream old(dir / kFile, std::ios::binary);
    old << std::string(20000, 'x') << "\r\n[fine]\r\n";
  }
  dati_linea(dir.string(), names);
  EXPECT_EQ(read_file((dir / kFile).string()), exported());
  fs::remove_all(dir);
}

TEST(LineDescription, SectionsComeInOrderWithTheirRowCounts) {
  const std::vector<std::pair<std::string, size_t>> expected = {
      {"[generale]", 8}, {"[curve]", 64},       {"[pendenze]", 25}, {"[montagne]", 2},
      {"[cartelli]", 51}, {"[indicazioni]", 2}, {"[fine]", 0},
  };
  const auto got = sections();
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(got[i].first, expected[i].first);
    EXPECT_EQ(got[i].second.size(), expected[i].second) << expected[i].first;
  }
}

TEST(LineDescription, TheGeneralSectionIsExact) {
  const std::vector<std::string> expected = {
      "lunghezza percorso,    241000",
      "progressiva chilometrica uno,    0,    111000,    0",
      "progressiva chilometrica due,    0,    0,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    1",
      "sfondo due,    0",
      "sfondo tre,    0",
      "ripetizione segnali 4 codici,    0,    239000",
  };
  EXPECT_EQ(section("[generale]"), expected);
}

TEST(LineDescription, NoHeaderHoldsARowKey) {
  for (const auto& [header, rows] : sections())
    for (const char* key : {"curva", "pendenza", "montagna", "cartello", "indicatori_v", "indicat"})
      EXPECT_EQ(header.find(key), std::string::npos) << header << " holds " << key;
}

TEST(LineDescription, QuotedRowsStandAtTheirPlace) {
  struct Case {
    const char* header;
    int index;  // -1: the last row; -2: anywhere in the section
    const char* row;
  };
  const Case cases[] = {
      {"[curve]", 0, "curvas3,  900,  1000"},
      {"[curve]", -2, "curvad6,  93250,  250"},
      {"[curve]", -1, "curvad3,  237300,  300"},
      {"[pendenze]", 0, "pendenza,  6000,   0"},
      {"[pendenze]", 1, "pendenza,  8000,   6"},
      {"[pendenze]", -2, "pendenza,  26550,   -11"},
      {"[pendenze]", -2, "pendenza,  30000,   -15"},
      {"[pendenze]", -1, "pendenza,  236000,   0"},
      {"[montagne]", 0, "montagna,   24350,  26350,  11"},
      {"[montagne]", 1, "montagna,   93350,  98200,  11"},
      {"[cartelli]", 0, "indicatori_vmax,  2950,  140,  160,  170,  0,  140,  160,  170,  0"},
      {"[cartelli]", -2, "indicatori_vmax,  19150,  100,  105,  110,  2,  100,  105,  110,  2"},
      {"[indicazioni]", 0, "cartello_indicatore,  97500,   (Km 208+500)"},
      {"[indicazioni]", 1, "cartello_indicatore,  212400,   (Km 323+402)"},
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

TEST(LineDescription, EveryRowHasTheFormOfItsSection) {
  const std::pair<const char*, const std::regex*> forms[] = {
      {"[curve]", &kCurve},       {"[pendenze]", &kGradient}, {"[montagne]", &kTunnel},
      {"[cartelli]", &kIndicator}, {"[indicazioni]", &kBoard},
  };
  for (const auto& [header, form] : forms)
    for (const std::string& row : section(header))
      EXPECT_TRUE(std::regex_match(row, *form)) << header << ": \"" << row << "\"";
}

TEST(LineDescription, PositionsRiseStrictlyInStepsOf50) {
  const std::pair<const char*, const std::regex*> forms[] = {
      {"[curve]", &kCurve},       {"[pendenze]", &kGradient}, {"[montagne]", &kTunnel},
      {"[cartelli]", &kIndicator}, {"[indicazioni]", &kBoard},
  };
  for (const auto& [header, form] : forms) {
    long previous = -1;
    for (const std::string& row : section(header)) {
      // The first number of a curve row is its class digit; its start follows.
      const size_t first = header == std::string("[curve]") ? 1 : 0;
      const long p = header == std::string("[cartelli]") ? indicator(row)[0] : fields(row, *form).at(first);
      EXPECT_EQ(p % 50, 0) << row;
      EXPECT_GT(p, previous) << row;
      previous = p;
    }
  }
}

TEST(LineDescription, CurvesHaveTheirSidesClassesAndLengthsAndDoNotOverlap) {
  std::map<std::string, int> sides;
  std::map<int, int> classes;
  std::set<std::string> sharpest;
  long min_length = 1 << 30, max_length = 0, end_of_previous = -1;
  for (const std::string& row : section("[curve]")) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(row, m, kCurve)) << row;
    const long start = std::stol(m[3]), length = std::stol(m[4]);
    ++sides[m[1]];
    ++classes[std::stoi(m[2])];
    if (m[2] == "6") sharpest.insert(m[1]);
    min_length = std::min(min_length, length);
    max_length = std::max(max_length, length);
    EXPECT_GT(start, end_of_previous) << "curve starts before the previous one ends: " << row;
    end_of_previous = start + length;
  }
  EXPECT_EQ(sides["s"], 34);
  EXPECT_EQ(sides["d"], 30);
  for (int k = 1; k <= 6; ++k) EXPECT_GT(classes[k], 0) << "class " << k;
  EXPECT_EQ(classes[4], 27);
  for (const auto& [k, n] : classes) EXPECT_LE(n, classes[4]) << "class " << k;
  EXPECT_EQ(classes[6], 2);
  EXPECT_EQ(sharpest, (std::set<std::string>{"s", "d"}));
  EXPECT_EQ(min_length, 100);
  EXPECT_EQ(max_length, 3000);
  EXPECT_LE(end_of_previous, 241000);
}

TEST(LineDescription, GradientsHaveTheirSignsAndRange) {
  int zero = 0, negative = 0, positive = 0;
  long lowest = 0, highest = 0;
  for (const std::string& row : section("[pendenze]")) {
    const long g = fields(row, kGradient).at(1);
    (g == 0 ? zero : g < 0 ? negative : positive)++;
    lowest = std::min(lowest, g);
    highest = std::max(highest, g);
  }
  EXPECT_EQ(zero, 10);
  EXPECT_EQ(negative, 8);
  EXPECT_EQ(positive, 7);
  EXPECT_EQ(lowest, -15);
  EXPECT_EQ(highest, 10);
}

TEST(LineDescription, TunnelsEndAfterTheyStartAndKeepApart) {
  long previous_end = -1;
  for (const std::string& row : section("[montagne]")) {
    const std::vector<long> v = fields(row, kTunnel);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_LT(v[0], v[1]) << row;
    EXPECT_EQ(v[2], 11) << row;
    // Closer than 150 m the compiler would merge the type of the second.
    EXPECT_GT(v[0] - previous_end, 150) << row;
    previous_end = v[1];
  }
}

TEST(LineDescription, SpeedBoardsMirrorTheirSidesAndRiseWithinARow) {
  long lowest = 1000, highest = 0;
  std::map<long, int> stripes;
  for (const std::string& row : section("[cartelli]")) {
    const std::vector<long> v = indicator(row);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(v[i], v[i + 4]) << row;
    EXPECT_LE(v[1], v[2]) << row;
    EXPECT_LE(v[2], v[3]) << row;
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(v[i] % 5, 0) << row;
      lowest = std::min(lowest, v[i]);
      highest = std::max(highest, v[i]);
    }
    ++stripes[v[4]];
  }
  EXPECT_EQ(lowest, 60);
  EXPECT_EQ(highest, 180);
  EXPECT_EQ(stripes, (std::map<long, int>{{0, 29}, {1, 11}, {2, 11}}));
}

TEST(LineDescription, EachTwoStripeBoardOpensARunOf210WithTheSameSpeeds) {
  const std::vector<std::string> rows = section("[cartelli]");
  int runs = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const std::vector<long> v = indicator(rows[i]);
    if (v[4] != 2) continue;
    ++runs;
    ASSERT_LT(i + 2, rows.size()) << rows[i];
    const std::vector<long> one = indicator(rows[i + 1]), zero = indicator(rows[i + 2]);
    EXPECT_EQ(one[4], 1) << rows[i + 1];
    EXPECT_EQ(zero[4], 0) << rows[i + 2];
    for (int k = 1; k <= 3; ++k) {
      EXPECT_EQ(one[k], v[k]) << rows[i + 1];
      EXPECT_EQ(zero[k], v[k]) << rows[i + 2];
    }
    for (long gap : {one[0] - v[0], zero[0] - one[0]}) {
      EXPECT_GE(gap, 250) << rows[i];
      EXPECT_LE(gap, 350) << rows[i];
    }
    // The run announces a drop: its speeds are below those of the board before it.
    if (i > 0) { EXPECT_LT(v[3], indicator(rows[i - 1])[3]) << rows[i]; }
  }
  EXPECT_EQ(runs, 11);
}

TEST(LineDescription, DirectionBoardsShowTheKilometreOfTheirPosition) {
  for (const std::string& row : section("[indicazioni]")) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(row, m, kBoard)) << row;
    const long position = std::stol(m[1]);
    const long shown = std::stol(m[3]) * 1000 + std::stol(m[4]);
    // Kilometre posts read 111.000 + position / 1000; a board stands within a few metres of its mark.
    EXPECT_LE(std::labs(shown - (111000 + position)), 10) << row;
  }
}

}  // namespace
}  // namespace compactor
