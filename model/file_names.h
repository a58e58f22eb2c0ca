// The names of every file a run reads or writes, built from the scenario name
// and the train name by plain concatenation (the blank of a train name stays).
#pragma once

#include <string>

#include "model/scenario.h"

namespace compactor::file_names {

inline std::string line_source(const Names& n) { return n.scenario + "_linea.txt"; }
inline std::string service_source(const Names& n) { return n.scenario + "_" + n.train + "-.txt"; }
inline std::string notes(const Names& n) { return n.scenario + "_" + n.train + "_note.txt"; }
inline std::string slowdown_order(const Names& n) { return n.scenario + "_" + n.train + "_rallentamenti.txt"; }
inline std::string train_sheet(const Names& n) { return n.scenario + "_" + n.train + "_scheda_treno.txt"; }
inline std::string path_file(const Names& n) { return n.scenario + "_linea.dat"; }
inline std::string table_file(const Names& n) { return n.scenario + "_" + n.train + ".sim"; }
inline std::string track_file(const Names& n) { return n.scenario + "_" + n.train + ".dat"; }

}  // namespace compactor::file_names
