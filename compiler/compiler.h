// The scenario compiler (memorizza_dati): reads the line description and then
// the service description, held in memory, and fills the scenario model.
//
// Its outcome is the model's error code and position (the latest fault) and,
// beside the model, the list of diagnostics (every fault in the order found,
// with file and line). It never throws for bad input: every fault of a source
// ends in one of the model's codes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compiler/origins.h"
#include "compiler/warnings.h"
#include "model/diagnostic.h"
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
// When `warnings` is given, the enabled warnings are added to its list; the
// model is the same either way.
// Every fault is added to `diagnostics`.
CompileReport memorizza_dati(Scenario& s, const Sources& sources, std::vector<Diagnostic>& diagnostics,
                             Origins* origins = nullptr, WarningSink* warnings = nullptr);

// A note at a row of one of the sources (an origin), with its line and a
// caret under the row's key; a place that is not known gives a note without one.
Note note_at(const Sources& sources, const SourcePlace& place, const std::string& message);

// Reading on past the point where the compile gave up (the check command):
// after a fault that makes the compiler return the row is skipped, after a
// reading failure reading resumes at the next line, and the feature loops go
// on after a row beyond the track. What is found after the first stop is
// kept here, each with a note naming that stop.
struct ReadOn {
  bool stopped = false;
  bool sticky = false;     // the compile returned there (not only ended a feature loop)
  bool final_ran = false;  // the compile itself went on to its final fills and check
  SourcePlace stop;
  std::vector<Diagnostic> diagnostics;
  std::vector<Warning> warnings;
};

// Compiles `s` from the sources as memorizza_dati does, reading on past
// every stop: the faults up to the compile's own stop go to `diagnostics`,
// those and the warnings found after it to `read_on`. The model it leaves is
// not the compile's.
void read_on_past_faults(Scenario& s, const Sources& sources, std::vector<Diagnostic>& diagnostics,
                         WarningSink* warnings, ReadOn& read_on);

}  // namespace compactor
