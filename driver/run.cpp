#include "driver/run.h"

#include <cstdio>

#include "documents/notes.h"
#include "documents/slowdown_order.h"
#include "documents/train_sheet.h"
#include "driver/compile_driver.h"
#include "driver/files.h"
#include "driver/platform.h"
#include "driver/report.h"
#include "model/file_names.h"
#include "sources/line_description.h"
#include "sources/service_description.h"

namespace compactor {
namespace {

// Collects what the run did and prints it once, as the command asked.
class Outcome {
 public:
  explicit Outcome(bool json) : json_(json) {}

  void take(const CompileRun& run) {
    report_.error_code = run.scenario.error_code;
    report_.error_position = run.scenario.error_position;
    report_.diagnostics = run.scenario.diagnostics;
    report_.written.insert(report_.written.end(), run.written.begin(), run.written.end());
  }
  void wrote(const std::string& name) { report_.written.push_back(name); }
  void forget(const std::string& name) { std::erase(report_.written, name); }

  // Ends with the compiled files written (or only documents, for export).
  int finish() {
    platform::hide_waiting();
    print_diagnostics();
    if (json_) std::fputs(format_json(report_).c_str(), stdout);
    return report_.error_code == 0 ? kExitClean : kExitFaults;
  }

  // Ends before the compiled files were written.
  int stop(const std::string& reason) {
    platform::hide_waiting();
    print_diagnostics();
    report_.fatal = reason;
    report_.written.clear();
    if (json_) std::fputs(format_json(report_).c_str(), stdout);
    else platform::show_failure(kApplicationTitle, reason);
    return kExitStopped;
  }

  // errore: the fatal error report of the compiled model.
  int errore(const std::string& a) {
    platform::hide_waiting();
    print_diagnostics();
    report_.fatal = a;
    report_.written.clear();
    if (json_) std::fputs(format_json(report_).c_str(), stdout);
    else platform::show_fatal(kApplicationTitle, " Errore n. " + a);
    return kExitStopped;
  }

 private:
  void print_diagnostics() {
    if (json_ || printed_) return;
    printed_ = true;
    for (const Diagnostic& d : report_.diagnostics) std::fputs(format_diagnostic(d).c_str(), stderr);
  }

  bool json_;
  bool printed_ = false;
  RunReport report_;
};

std::string output_dir(const Command& cmd, const std::string& fallback) {
  return cmd.dir ? *cmd.dir : fallback;
}

// Writes the two sources and the three crew documents, in the run's order.
void write_texts(const std::string& dir, const Names& names, Outcome& outcome) {
  dati_linea(dir, names);
  outcome.wrote(file_names::line_source(names));
  dati_treno(dir, names);
  outcome.wrote(file_names::service_source(names));
  dati_note(dir, names);
  outcome.wrote(file_names::notes(names));
  dati_rallentamenti(dir, names);
  outcome.wrote(file_names::slowdown_order(names));
  dati_scheda(dir, names);
  outcome.wrote(file_names::train_sheet(names));
}

// What ends a run whose compile could not write its files.
int stop_or_errore(const CompileRun& run, Outcome& outcome) {
  if (run.fatal_number) return outcome.errore(std::to_string(*run.fatal_number));
  return outcome.stop("no compiled file written: " + *run.fatal);
}

int built_in_run(const Command& cmd) {
  Outcome outcome(cmd.json);
  const std::string dir = output_dir(cmd, platform::program_directory());
  const Names names;
  platform::show_waiting(kApplicationTitle);
  try {
    write_texts(dir, names, outcome);
    const std::string line_name = file_names::line_source(names);
    const std::string service_name = file_names::service_source(names);
    const std::string line_path = platform::join(dir, line_name);
    const std::string service_path = platform::join(dir, service_name);
    // Both were just written: one missing now was deleted by someone else
    // (another run in the same directory), and the run stops rather than
    // compile without it.
    Sources sources;
    sources.line = SourceText{line_name, read_file(line_path)};
    sources.service = SourceText{service_name, read_file(service_path)};
    const CompileRun run = memorizza_percorso(1, names, sources, dir, [&](const CompileReport& r) {
      // The built-in sources are transient: the compiler deletes what it read.
      if (r.line_consumed) {
        remove_file(line_path);
        outcome.forget(line_name);
      }
      if (r.service_consumed) {
        remove_file(service_path);
        outcome.forget(service_name);
      }
    });
    outcome.take(run);
    if (run.fatal) return stop_or_errore(run, outcome);
    return outcome.finish();
  } catch (const FileError& e) {
    return outcome.stop(e.what());
  }
}

int export_run(const Command& cmd) {
  Outcome outcome(cmd.json);
  try {
    write_texts(output_dir(cmd, "."), cmd.names, outcome);
  } catch (const FileError& e) {
    return outcome.stop(e.what());
  }
  return outcome.finish();
}

int compile_run(const Command& cmd) {
  Outcome outcome(cmd.json);
  try {
    Sources sources;
    sources.line = SourceText{cmd.line_source, read_file(cmd.line_source)};
    sources.service = SourceText{cmd.service_source, read_file(cmd.service_source)};
    const CompileRun run =
        memorizza_percorso(cmd.keep_path ? 1 : 0, cmd.names, sources, output_dir(cmd, "."));
    outcome.take(run);
    if (run.fatal) return stop_or_errore(run, outcome);
    return outcome.finish();
  } catch (const FileError& e) {
    return outcome.stop(e.what());
  }
}

}  // namespace

int run_command(const Command& cmd) {
  switch (cmd.mode) {
    case Mode::kBuiltIn: return built_in_run(cmd);
    case Mode::kExport: return export_run(cmd);
    case Mode::kCompile: return compile_run(cmd);
  }
  return kExitUsage;
}

}  // namespace compactor
