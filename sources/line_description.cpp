#include "sources/line_description.h"

#include "driver/platform.h"
#include "model/file_names.h"

namespace compactor {

const RowTable& line_description_rows() {
  static const RowTable rows = {
      "[generale]",
      "lunghezza percorso,    241000",
      "progressiva chilometrica uno,    0,    111000,    0",
      "progressiva chilometrica due,    0,    0,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    1",
      "sfondo due,    0",
      "sfondo tre,    0",
      "ripetizione segnali 4 codici,    0,    239000",
      "[fine]",
      std::string(kEndMarker),
  };
  return rows;
}

void dati_linea(const std::string& dir, const Names& names) {
  write_rows(platform::join(dir, file_names::line_source(names)), line_description_rows());
}

}  // namespace compactor
