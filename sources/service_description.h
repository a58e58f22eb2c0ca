// The built-in service description (dati_treno): its row table and its writer.
#pragma once

#include <string>

#include "driver/row_table.h"
#include "model/scenario.h"

namespace compactor {

// The rows of the service description in file order, then the end marker.
const RowTable& service_description_rows();

// Writes the service description into `dir` under the scenario's names.
void dati_treno(const std::string& dir, const Names& names);

}  // namespace compactor
