// The train sheet (dati_scheda): its row table and its writer.
#pragma once

#include <string>

#include "driver/row_table.h"
#include "model/scenario.h"

namespace compactor {

// The rows of the document in file order, then the end marker.
const RowTable& train_sheet_rows();

// Writes the document into `dir` under the scenario's names.
void dati_scheda(const std::string& dir, const Names& names);

}  // namespace compactor
