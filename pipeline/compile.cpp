#include "pipeline/compile.h"

#include "check/block_pass.h"

namespace compactor {

CompiledScenario compile_scenario(int32_t j, const Names& names, const Sources& sources,
                                  Origins* origins) {
  CompiledScenario run;
  Scenario& s = run.scenario;
  s.names = names;
  s.keep_path = j;
  s.error_code = 0;
  s.reset_table();

  run.report = memorizza_dati(s, sources, origins);
  if (!s.track_allocated) {
    run.fatal = run.report.missing_length_row
                    ? "the line description has no \"lunghezza percorso\" row"
                    : "the line description could not be compiled";
    return run;
  }

  block_pass(s, origins ? &origins->block_pass : nullptr);
  if (std::optional<int> number = stamp_reserved_fields(s)) {
    run.fatal_number = *number;
    run.fatal = std::to_string(*number);
  }
  return run;
}

}  // namespace compactor
