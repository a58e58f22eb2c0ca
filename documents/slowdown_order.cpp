#include "documents/slowdown_order.h"

#include "driver/platform.h"
#include "model/file_names.h"

namespace compactor {
namespace {

// Table lines are 82 characters: bars at 1, 5, 34, 47, 58, 68 and 81.
constexpr const char* kRule =
    " |___|____________________________|____________|__________|_________|____________|";
constexpr const char* kEmptyRow =
    " |   |                            |            |          |         |            |";
constexpr int kEmptyRows = 25;

RowTable build() {
  RowTable r = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " ________________________________________________________________________________",
      "  Linea  LAVENA - CODRANO CENTRALE",
      "",
      "  Si ordina al macchinista del treno 2716  di effettuare i seguenti rallentamenti",
      "  _______________________________________________________________________________",
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      kRule,
      // The one slowdown of the service: 60 km/h over 200 m from kilometre 324.950.
      " | 1 |      ROSETO - PINETO       |  324.950   |    60    |   200   |   -----    |",
  };
  for (int i = 0; i < kEmptyRows; ++i) r.emplace_back(kEmptyRow);
  const RowTable tail = {
      kRule,
      "",
      "              Prescrizioni specifiche",
      " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
      " B - Interessa anche la stazione di PEDASO",
      // The form prints D before C, and "Rallentamneto" as the printed form has it.
      " D - Rallentamneto N. ... e N. ...  sono contigui",
      " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
      "     i giorni esclusi i seguenti:.........",
      std::string(kEndMarker),
  };
  r.insert(r.end(), tail.begin(), tail.end());
  return r;
}

}  // namespace

const RowTable& slowdown_order_rows() {
  static const RowTable rows = build();
  return rows;
}

void dati_rallentamenti(const std::string& dir, const Names& names) {
  write_rows(platform::join(dir, file_names::slowdown_order(names)), slowdown_order_rows());
}

}  // namespace compactor
