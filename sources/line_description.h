// The built-in line description (dati_linea): its row table and its writer.
#pragma once

#include <string>

#include "driver/row_table.h"
#include "model/scenario.h"

namespace compactor {

// The rows of the line description in file order, then the end marker.
const RowTable& line_description_rows();

// Writes the line description into `dir` under the scenario's name.
void dati_linea(const std::string& dir, const Names& names);

}  // namespace compactor
