#include "driver/run.h"

#include <algorithm>
#include <cstdio>

#include "documents/notes.h"
#include "documents/slowdown_order.h"
#include "documents/train_sheet.h"
#include "driver/compile_driver.h"
#include "driver/files.h"
#include "driver/platform.h"
#include "driver/report.h"
#include "pipeline/compile.h"
#include "model/file_names.h"
#include "sources/line_description.h"
#include "sources/service_description.h"

namespace compactor {
namespace {

// Collects what the run did and prints it once, as the command asked.
class Outcome {
 public:
  explicit Outcome(bool json) : json_(json) {}
  // compile and check: warnings are collected and reported, -Werror and
  // --sarif apply.
  Outcome(const Command& cmd) : json_(cmd.json), werror_(cmd.warnings.werror), sarif_(cmd.sarif) {
    report_.warnings.emplace();
    line_name_ = cmd.line_source;
    service_name_ = cmd.service_source;
  }

  void take(const CompileRun& run) {
    report_.error_code = run.scenario.error_code;
    report_.error_position = run.scenario.error_position;
    report_.diagnostics = run.diagnostics;
    report_.written.insert(report_.written.end(), run.written.begin(), run.written.end());
  }
  void take_warnings(std::vector<Warning> warnings) {
    if (report_.warnings) *report_.warnings = std::move(warnings);
  }
  RunReport& report() { return report_; }
  void wrote(const std::string& name) { report_.written.push_back(name); }
  void forget(const std::string& name) { std::erase(report_.written, name); }

  // Ends with the compiled files written (or only documents, for export).
  int finish() {
    platform::hide_waiting();
    if (!write_sarif()) return kExitStopped;
    print_diagnostics();
    if (json_) std::fputs(format_json(report_).c_str(), stdout);
    if (report_.error_code != 0) return kExitFaults;
    return failing_warnings() ? kExitFaults : kExitClean;
  }

  // check: 1 with any fault, or with warnings under -Werror.
  int finish_check() {
    if (!write_sarif()) return kExitStopped;
    print_diagnostics();
    if (json_) std::fputs(format_json(report_).c_str(), stdout);
    return !report_.diagnostics.empty() || failing_warnings() ? kExitFaults : kExitClean;
  }

  // Ends before the compiled files were written.
  int stop(const std::string& reason) {
    platform::hide_waiting();
    write_sarif();
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
    write_sarif();
    print_diagnostics();
    report_.fatal = a;
    report_.written.clear();
    if (json_) std::fputs(format_json(report_).c_str(), stdout);
    else platform::show_fatal(kApplicationTitle, " Errore n. " + a);
    return kExitStopped;
  }

 private:
  bool failing_warnings() const { return werror_ && report_.warnings && !report_.warnings->empty(); }

  // --sarif FILE: false when it cannot be written (the message says why).
  bool write_sarif() {
    if (!sarif_ || sarif_written_) return true;
    sarif_written_ = true;
    try {
      const std::string text = format_sarif(report_.diagnostics,
                                            report_.warnings ? *report_.warnings : std::vector<Warning>{});
      replace_file(*sarif_, [&](ByteSink& out) { out.write(text.data(), text.size()); });
      return true;
    } catch (const FileError& e) {
      std::fprintf(stderr, "compactor: %s\n", e.what());
      return false;
    }
  }

  // Faults and warnings in the order of their files (the line description
  // first) and lines; what belongs to no row comes last.
  void print_diagnostics() {
    if (json_ || printed_) return;
    printed_ = true;
    const std::vector<Warning>* warnings = report_.warnings ? &*report_.warnings : nullptr;
    std::fputs(format_diagnostics(report_.diagnostics, warnings, line_name_, service_name_).c_str(), stderr);
  }

  bool json_;
  bool werror_ = false;
  std::optional<std::string> sarif_;
  bool sarif_written_ = false;
  bool printed_ = false;
  std::string line_name_, service_name_;
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
  Outcome outcome(cmd);
  try {
    Sources sources;
    sources.line = SourceText{cmd.line_source, read_file(cmd.line_source)};
    sources.service = SourceText{cmd.service_source, read_file(cmd.service_source)};
    WarningSink warnings;
    warnings.enabled = cmd.warnings.enabled;
    const CompileRun run = memorizza_percorso(cmd.keep_path ? 1 : 0, cmd.names, sources,
                                              output_dir(cmd, "."), {}, &warnings);
    outcome.take(run);
    outcome.take_warnings(std::move(warnings.list));
    if (run.fatal) return stop_or_errore(run, outcome);
    return outcome.finish();
  } catch (const FileError& e) {
    return outcome.stop(e.what());
  }
}

int check_run(const Command& cmd) {
  Outcome outcome(cmd);
  try {
    Sources sources;
    sources.line = SourceText{cmd.line_source, read_file(cmd.line_source)};
    sources.service = SourceText{cmd.service_source, read_file(cmd.service_source)};
    CheckResult checked = check_scenario(cmd.keep_path ? 1 : 0, cmd.names, sources, cmd.warnings.enabled);
    RunReport& r = outcome.report();
    r.error_code = checked.error_code;
    r.error_position = checked.error_position;
    r.diagnostics = std::move(checked.diagnostics);
    outcome.take_warnings(std::move(checked.warnings));
    // A compile that would write nothing: the JSON report says why.
    r.fatal = checked.fatal;
    return outcome.finish_check();
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
    case Mode::kCheck: return check_run(cmd);
  }
  return kExitUsage;
}

}  // namespace compactor
