// The whole compile in memory: resets the table, compiles the two sources,
// runs the block pass and the reserved-field check and stamps the competition
// codes. It touches no file; writing the compiled files is the caller's.
// Depends on compiler/, check/ and model/.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "compiler/compiler.h"
#include "compiler/origins.h"
#include "model/scenario.h"

namespace compactor {

struct CompiledScenario {
  Scenario scenario;
  CompileReport report;
  // Set when the compiled files must not be written: "1250", "1251" or a
  // reason (a line description that never sized the track).
  std::optional<std::string> fatal;
  std::optional<int> fatal_number;  // 1250 or 1251
};

// `j` is the keep-path flag. When `origins` is given it is filled beside the
// model (see compiler/origins.h).
CompiledScenario compile_scenario(int32_t j, const Names& names, const Sources& sources,
                                  Origins* origins = nullptr);

}  // namespace compactor
