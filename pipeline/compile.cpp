#include "pipeline/compile.h"

#include "check/block_pass.h"

namespace compactor {
namespace {

// Notes for the block pass's diagnostics: the slowdown row they belong to,
// and the signal row where one is involved.
void note_block_findings(std::vector<Diagnostic>& diagnostics, const Sources& sources,
                         const Origins& origins, const std::vector<BlockFinding>& findings) {
  auto origin = [&](int cell) {
    return cell >= 0 && static_cast<size_t>(cell) < origins.cells.size()
               ? origins.cells[static_cast<size_t>(cell)]
               : SourcePlace{};
  };
  for (const BlockFinding& f : findings) {
    if (f.diagnostic >= diagnostics.size()) continue;
    Diagnostic& d = diagnostics[f.diagnostic];
    if (f.slowdown_cell >= 0) {
      const bool warning = d.code == 11;
      d.notes.push_back(note_at(sources, origin(f.slowdown_cell),
                                std::string("the slowdown whose ") + (warning ? "warning" : "start") +
                                    " is at cell " + std::to_string(f.slowdown_cell) +
                                    (origin(f.slowdown_cell).known() ? ", placed by this row" : "")));
    }
    if (f.signal_cell >= 0) {
      d.notes.push_back(note_at(sources, origin(f.signal_cell),
                                "the signal at cell " + std::to_string(f.signal_cell) +
                                    (origin(f.signal_cell).known() ? ", placed by this row" : "")));
    }
    Note then;
    then.message = "the pass places no point there and goes on";
    d.notes.push_back(std::move(then));
  }
}

}  // namespace

CompiledScenario compile_scenario(int32_t j, const Names& names, const Sources& sources,
                                  Origins* origins, WarningSink* warnings) {
  CompiledScenario run;
  Scenario& s = run.scenario;
  s.names = names;
  s.keep_path = j;
  s.error_code = 0;
  s.reset_table();

  Origins own;
  Origins& kept = origins ? *origins : own;
  run.report = memorizza_dati(s, sources, run.diagnostics, &kept, warnings);
  if (!s.track_allocated) {
    run.fatal = run.report.missing_length_row
                    ? "the line description has no \"lunghezza percorso\" row"
                    : "the line description could not be compiled";
    return run;
  }

  std::vector<BlockFinding> findings;
  block_pass(s, run.diagnostics, &findings, origins ? &origins->block_pass : nullptr);
  note_block_findings(run.diagnostics, sources, kept, findings);
  if (std::optional<int> number = stamp_reserved_fields(s)) {
    run.fatal_number = *number;
    run.fatal = std::to_string(*number);
  }
  return run;
}

CheckResult check_scenario(int32_t j, const Names& names, const Sources& sources,
                           const WarningSet& enabled) {
  CheckResult result;
  WarningSink sink;
  sink.enabled = enabled;
  CompiledScenario compiled = compile_scenario(j, names, sources, nullptr, &sink);
  result.diagnostics = std::move(compiled.diagnostics);
  result.warnings = std::move(sink.list);
  result.fatal = compiled.fatal;
  result.error_code = compiled.scenario.error_code;
  result.error_position = compiled.scenario.error_position;
  if (compiled.fatal_number) {
    Diagnostic d;
    d.code = *compiled.fatal_number;
    d.message = error_message(d.code);
    result.diagnostics.push_back(std::move(d));
  }

  // Reading on: a second compile that skips what made the first one stop.
  Scenario scratch;
  scratch.names = names;
  scratch.keep_path = j;
  scratch.reset_table();
  WarningSink on_sink;
  on_sink.enabled = enabled;
  ReadOn read_on;
  std::vector<Diagnostic> before_the_stop;  // the compile's own, found above
  read_on_past_faults(scratch, sources, before_the_stop, &on_sink, read_on);
  for (Diagnostic& d : read_on.diagnostics) result.diagnostics.push_back(std::move(d));
  for (Warning& w : read_on.warnings) result.warnings.push_back(std::move(w));
  return result;
}

}  // namespace compactor
