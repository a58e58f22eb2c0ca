#include "documents/slowdown_order.h"

#include <gtest/gtest.h>

#include "documents/document_lines.h"

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

}  // namespace
}  // namespace compactor
