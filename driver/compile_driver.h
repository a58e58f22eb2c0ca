// The compile driver (memorizza_percorso): resets the table, compiles the
// sources, runs the block pass and the reserved-field check, stamps the
// competition codes and writes the compiled files into a directory.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "model/scenario.h"

namespace compactor {

struct CompileRun {
  Scenario scenario;
  std::vector<Diagnostic> diagnostics;  // every fault, in the order found
  CompileReport report;
  std::vector<std::string> written;  // file names, in the order written
  // Set when the run stopped before writing: "1250", "1251" or a reason.
  std::optional<std::string> fatal;
  std::optional<int> fatal_number;  // 1250 or 1251
};

// Called once the compiler is done with the sources, before anything is
// written: the built-in run deletes the sources the compiler consumed.
using SourceCleanup = std::function<void(const CompileReport&)>;

// Runs the whole compile into `dir`. File errors while writing throw FileError
// (files already written stay; the file in hand keeps its earlier content).
// When `warnings` is given, the compiler's warnings go there (the model and
// the files are the same either way).
CompileRun memorizza_percorso(int32_t j, const Names& names, const Sources& sources,
                              const std::string& dir, const SourceCleanup& cleanup = {},
                              WarningSink* warnings = nullptr);

// Writes the compiled files of `s` into `dir` (the path file only when its
// keep-path flag is set), each replaced atomically, and appends their names
// to `written` as each is done. Throws FileError.
void write_compiled_files(const Scenario& s, const std::string& dir,
                          std::vector<std::string>& written);

}  // namespace compactor
