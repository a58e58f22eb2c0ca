// The slowdown order form (dati_rallentamenti): its row table and its writer.
#pragma once

#include <string>

#include "driver/row_table.h"
#include "model/scenario.h"

namespace compactor {

// The rows of the document in file order, then the end marker.
const RowTable& slowdown_order_rows();

// Writes the document into `dir` under the scenario's names.
void dati_rallentamenti(const std::string& dir, const Names& names);

}  // namespace compactor
