#include "documents/slowdown_order.h"

#include <gtest/gtest.h>

#include "driver/row_table_lines.h"
#include "documents/source_rows.h"
#include "sources/service_description.h"

namespace compactor {
namespace {

using testing::file_lines;

const char* const kTableRule =
    " |___|____________________________|____________|__________|_________|____________|";
const char* const kTableEmpty =
    " |   |                            |            |          |         |            |";

struct Line {
  size_t index;
  const char* text;
};

// Every line of the form except the 25 empty table rows.
const Line kLines[] = {
    {0, ""},
    {1, "                               Modulo M. 3"},
    {2, "                           ORDINE DI RALLENTAMENTO"},
    {3, " ________________________________________________________________________________"},
    {4, "  Linea  LAVENA - CODRANO CENTRALE"},
    {5, ""},
    {6, "  Si ordina al macchinista del treno 2716  di effettuare i seguenti rallentamenti"},
    {7, "  _______________________________________________________________________________"},
    {8, " |   |                            |Inizio dopo |          |         |            |"},
    {9, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
    {10, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
    {11, kTableRule},
    {12, " | 1 |      ROSETO - PINETO       |  324.950   |    60    |   200   |   -----    |"},
    {38, kTableRule},
    {39, ""},
    {40, "              Prescrizioni specifiche"},
    {41, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
    {42, " B - Interessa anche la stazione di PEDASO"},
    {43, " D - Rallentamneto N. ... e N. ...  sono contigui"},
    {44, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
    {45, "     i giorni esclusi i seguenti:........."},
};

TEST(SlowdownOrderTest, EveryLineAtItsIndex) {
  const std::vector<std::string> lines = file_lines(slowdown_order_rows());
  ASSERT_EQ(lines.size(), 46u);
  for (const Line& l : kLines) EXPECT_EQ(lines[l.index], l.text) << "line " << l.index;
  for (size_t i = 13; i <= 37; ++i) EXPECT_EQ(lines[i], kTableEmpty) << "line " << i;
}

TEST(SlowdownOrderTest, TableLinesHaveTheirBarsInPlace) {
  const std::vector<std::string> lines = file_lines(slowdown_order_rows());
  ASSERT_EQ(lines.size(), 46u);
  const std::vector<size_t> bars = {1, 5, 34, 47, 58, 68, 81};
  for (size_t i = 8; i <= 38; ++i) {
    SCOPED_TRACE("line " + std::to_string(i));
    ASSERT_EQ(lines[i].size(), 82u);
    std::vector<size_t> found;
    for (size_t p = 0; p < lines[i].size(); ++p)
      if (lines[i][p] == '|') found.push_back(p);
    EXPECT_EQ(found, bars);
  }
}


// The filled row is the service's one slowdown: its kilometre, speed and
// length, between the two stations that enclose it.
TEST(SlowdownOrderTest, FilledRowIsTheServiceSlowdown) {
  const auto slowdowns = testing::rows_with_key(service_description_rows(), "rallentamento");
  ASSERT_EQ(slowdowns.size(), 1u);
  const int x = std::stoi(slowdowns[0][0]);
  const auto stations = testing::rows_with_key(service_description_rows(), "stazione");
  std::string before, after;
  for (const auto& s : stations) {
    if (std::stoi(s[0]) <= x) before = s.back();
    if (std::stoi(s[0]) > x && after.empty()) after = s.back();
  }
  // Centred, the odd space on the right.
  auto centred = [](const std::string& s, size_t width) {
    const size_t left = (width - s.size()) / 2;
    return std::string(left, ' ') + s + std::string(width - left - s.size(), ' ');
  };
  const std::string want = " | 1 |" + centred(before + " - " + after, 28) + "|  " + testing::kilometre_of(x) + "   |" +
                           centred(slowdowns[0][1], 10) + "|" + centred(slowdowns[0][2], 9) + "|   -----    |";
  const std::vector<std::string> lines = file_lines(slowdown_order_rows());
  ASSERT_GT(lines.size(), 12u);
  EXPECT_EQ(lines[12], want);
}

}  // namespace
}  // namespace compactor
