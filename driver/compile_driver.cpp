#include "driver/compile_driver.h"

#include "check/block_pass.h"
#include "driver/files.h"
#include "driver/platform.h"
#include "model/compiled_files.h"
#include "model/file_names.h"

namespace compactor {

CompileRun memorizza_percorso(int32_t j, const Names& names, const Sources& sources,
                              const std::string& dir, const SourceCleanup& cleanup) {
  CompileRun run;
  Scenario& s = run.scenario;
  s.names = names;
  s.keep_path = j;
  s.error_code = 0;
  s.reset_table();

  run.report = memorizza_dati(s, sources);
  if (cleanup) cleanup(run.report);
  if (!s.track_allocated) {
    run.fatal = run.report.missing_length_row
                    ? "the line description has no \"lunghezza percorso\" row"
                    : "the line description could not be compiled";
    return run;
  }

  block_pass(s);
  if (std::optional<int> number = stamp_reserved_fields(s)) {
    run.fatal_number = *number;
    run.fatal = std::to_string(*number);
    return run;
  }

  auto write = [&](const std::string& name, void (*writer)(const Scenario&, ByteSink&)) {
    replace_file(platform::join(dir, name), [&](ByteSink& out) { writer(s, out); });
    run.written.push_back(name);
  };
  if (s.keep_path != 0) write(file_names::path_file(names), write_path_file);
  write(file_names::table_file(names), write_table_file);
  write(file_names::track_file(names), write_track_file);
  return run;
}

}  // namespace compactor
