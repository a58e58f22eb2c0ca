// The scenario compiler (memorizza_dati): reads the line description and then
// the service description, held in memory, and fills the scenario model.
//
// Its outcome is the model's error code and position (the latest fault) and
// the list of diagnostics (every fault, with file and line). It never throws
// for bad input: every fault of a source ends in one of the model's codes.
#pragma once

#include <optional>
#include <string>

#include "compiler/origins.h"
#include "model/scenario.h"

namespace compactor {

struct SourceText {
  std::string name;  // shown in diagnostics
  std::string text;
};

struct Sources {
  std::optional<SourceText> line;     // missing: error 101
  std::optional<SourceText> service;  // missing when the compiler opens it: error 25
};

// What the compiler did with the sources: the ones it consumed are the ones
// it would delete (the built-in run deletes them; user files are kept).
struct CompileReport {
  bool line_consumed = false;
  bool service_consumed = false;
  // Set when the general section ended without a line-length row.
  bool missing_length_row = false;
};

// Fills `s` from the sources. Expects the table reset and the names and the
// keep-path flag set, as the compile driver leaves them. When `origins` is
// given it is filled with the row behind every placed cell and entry; the
// model is the same either way.
CompileReport memorizza_dati(Scenario& s, const Sources& sources, Origins* origins = nullptr);

}  // namespace compactor
