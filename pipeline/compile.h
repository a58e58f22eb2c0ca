// The whole compile in memory: resets the table, compiles the two sources,
// runs the block pass and the reserved-field check and stamps the competition
// codes. It touches no file; writing the compiled files is the caller's.
// Depends on compiler/, check/ and model/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "compiler/origins.h"
#include "compiler/warnings.h"
#include "model/scenario.h"

namespace compactor {

struct CompiledScenario {
  Scenario scenario;
  // Every fault of the compile and the block pass in the order found, beside
  // the model (whose error code and position are the latest one's).
  std::vector<Diagnostic> diagnostics;
  CompileReport report;
  // Set when the compiled files must not be written: "1250", "1251" or a
  // reason (a line description that never sized the track).
  std::optional<std::string> fatal;
  std::optional<int> fatal_number;  // 1250 or 1251
};

// `j` is the keep-path flag. When `origins` is given it is filled beside the
// model (see compiler/origins.h); when `warnings` is given, the enabled
// warnings are added to it (see compiler/warnings.h). Neither changes the
// model. The block pass's diagnostics get notes naming their slowdown and
// signal rows either way.
CompiledScenario compile_scenario(int32_t j, const Names& names, const Sources& sources,
                                  Origins* origins = nullptr, WarningSink* warnings = nullptr);

// What the check command reports: every fault and warning of the compile
// (block pass included), then those found by reading on past the point where
// the compile gave up, each of them with a note naming that point.
struct CheckResult {
  std::vector<Diagnostic> diagnostics;
  std::vector<Warning> warnings;
  std::optional<std::string> fatal;  // as CompiledScenario::fatal
  int32_t error_code = 0;
  int32_t error_position = 0;
};
CheckResult check_scenario(int32_t j, const Names& names, const Sources& sources,
                           const WarningSet& enabled);

}  // namespace compactor
