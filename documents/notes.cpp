#include "documents/notes.h"

#include "driver/platform.h"
#include "model/file_names.h"

namespace compactor {

const RowTable& notes_rows() {
  static const RowTable rows = {std::string(kEndMarker)};
  return rows;
}

void dati_note(const std::string& dir, const Names& names) {
  write_rows(platform::join(dir, file_names::notes(names)), notes_rows());
}

}  // namespace compactor
