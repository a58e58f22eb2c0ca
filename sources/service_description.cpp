#include "sources/service_description.h"

#include "driver/platform.h"
#include "model/file_names.h"

namespace compactor {

const RowTable& service_description_rows() {
  static const RowTable rows = {
      "[generale]",
      "[fine]",
      std::string(kEndMarker),
  };
  return rows;
}

void dati_treno(const std::string& dir, const Names& names) {
  write_rows(platform::join(dir, file_names::service_source(names)), service_description_rows());
}

}  // namespace compactor
