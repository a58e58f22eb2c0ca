#include "driver/compile_driver.h"

#include "driver/files.h"
#include "driver/platform.h"
#include "model/compiled_files.h"
#include "model/file_names.h"
#include "pipeline/compile.h"

namespace compactor {

CompileRun memorizza_percorso(int32_t j, const Names& names, const Sources& sources,
                              const std::string& dir, const SourceCleanup& cleanup,
                              WarningSink* warnings) {
  CompiledScenario compiled = compile_scenario(j, names, sources, nullptr, warnings);
  // Nothing was written yet: the built-in run deletes what the compiler read.
  if (cleanup) cleanup(compiled.report);
  CompileRun run;
  run.scenario = std::move(compiled.scenario);
  run.diagnostics = std::move(compiled.diagnostics);
  run.report = compiled.report;
  run.fatal = std::move(compiled.fatal);
  run.fatal_number = compiled.fatal_number;
  if (run.fatal) return run;
  write_compiled_files(run.scenario, dir, run.written);
  return run;
}

void write_compiled_files(const Scenario& s, const std::string& dir,
                          std::vector<std::string>& written) {
  auto write = [&](const std::string& name, void (*writer)(const Scenario&, ByteSink&)) {
    replace_file(platform::join(dir, name), [&](ByteSink& out) { writer(s, out); });
    written.push_back(name);
  };
  if (s.keep_path != 0) write(file_names::path_file(s.names), write_path_file);
  write(file_names::table_file(s.names), write_table_file);
  write(file_names::track_file(s.names), write_track_file);
}

}  // namespace compactor
