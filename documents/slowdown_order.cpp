#include "documents/slowdown_order.h"

#include "driver/platform.h"
#include "model/file_names.h"

namespace compactor {

const RowTable& slowdown_order_rows() {
  static const RowTable rows = {std::string(kEndMarker)};
  return rows;
}

void dati_rallentamenti(const std::string& dir, const Names& names) {
  write_rows(platform::join(dir, file_names::slowdown_order(names)), slowdown_order_rows());
}

}  // namespace compactor
