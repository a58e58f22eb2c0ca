#include "documents/train_sheet.h"

#include "driver/platform.h"
#include "model/file_names.h"

namespace compactor {

const RowTable& train_sheet_rows() {
  static const RowTable rows = {std::string(kEndMarker)};
  return rows;
}

void dati_scheda(const std::string& dir, const Names& names) {
  write_rows(platform::join(dir, file_names::train_sheet(names)), train_sheet_rows());
}

}  // namespace compactor
