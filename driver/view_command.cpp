// The command view: compiles the sources in memory as compile does and writes
// the page of the scenario (view/), and on request its two drawings as SVG.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <thread>

#include "driver/cli.h"
#include "driver/files.h"
#include "driver/inspect_command.h"
#include "driver/platform.h"
#include "driver/report.h"
#include "driver/run.h"
#include "pipeline/compile.h"
#include "view/items.h"
#include "view/view.h"

namespace compactor {
namespace {

struct ViewCommand {
  std::vector<std::string> warning_flags;
  WarningFlags warnings;
  std::string line_source;
  std::string service_source;
  std::optional<std::string> dir;
  std::optional<std::string> svg_dir;
  std::optional<std::string> compiled_dir;  // --compiled: draw from compiled files
  Names names;
  bool open = false;
  bool json = false;
};

// The view's two drawings at once when the machine has a second core: the
// first task on a thread of its own, the second on this one. An exception of
// either is rethrown here once both have ended.
void run_both(const std::function<void()>& first, const std::function<void()>& second) {
  if (std::thread::hardware_concurrency() < 2) {
    first();
    second();
    return;
  }
  std::exception_ptr failed;
  std::thread other([&] {
    try {
      first();
    } catch (...) {
      failed = std::current_exception();
    }
  });
  try {
    second();
  } catch (...) {
    other.join();
    throw;
  }
  other.join();
  if (failed) std::rethrow_exception(failed);
}

void write_text_file(const std::string& path, const std::string& text) {
  replace_file(path, [&](ByteSink& out) { out.write(text.data(), text.size()); });
}

// Writes the page, and the drawings with --svg, and opens the page with
// --open; appends the names written to `written`. Throws FileError.
void write_view(const ViewCommand& cmd, const view::ViewParts& parts, std::vector<std::string>& written) {
  const std::string base = cmd.names.scenario + "_" + cmd.names.train;
  const std::string dir = cmd.dir ? *cmd.dir : ".";
  const std::string page_path = platform::join(dir, base + ".html");
  replace_file(page_path, [&](ByteSink& out) { view::write_page(parts, out); });
  written.push_back(base + ".html");
  if (cmd.svg_dir) {
    write_text_file(platform::join(*cmd.svg_dir, base + "_plan.svg"), view::standalone_svg(parts.plan));
    written.push_back(base + "_plan.svg");
    write_text_file(platform::join(*cmd.svg_dir, base + "_profile.svg"), view::standalone_svg(parts.profile));
    written.push_back(base + "_profile.svg");
  }
  if (cmd.open) {
    const std::string why = platform::open_in_desktop(page_path);
    if (!why.empty() && !cmd.json) std::fprintf(stderr, "compactor: cannot open %s: %s\n", page_path.c_str(), why.c_str());
  }
}

// view --compiled: the page of the compiled files in a directory, with no
// source rows. 0 written, 2 a file that cannot be read, decoded or written.
int view_compiled_run(const ViewCommand& cmd) {
  RunReport report;
  const std::optional<Scenario> s = load_compiled_scenario(*cmd.compiled_dir, cmd.names);
  if (!s) {
    report.fatal = "the compiled files cannot be read";
    if (cmd.json) std::fputs(format_json(report).c_str(), stdout);
    return kExitStopped;
  }
  view::ViewInput in;
  in.scenario = &*s;
  in.names = cmd.names;
  in.from_sources = false;
  try {
    write_view(cmd, view::render_parts(in, run_both), report.written);
  } catch (const FileError& e) {
    report.fatal = e.what();
    report.written.clear();
    if (cmd.json) std::fputs(format_json(report).c_str(), stdout);
    else platform::show_failure(kApplicationTitle, e.what());
    return kExitStopped;
  }
  if (cmd.json) std::fputs(format_json(report).c_str(), stdout);
  return kExitClean;
}

int view_run(const ViewCommand& cmd) {
  if (cmd.compiled_dir) return view_compiled_run(cmd);
  RunReport report;
  report.warnings.emplace();
  auto finish = [&](int status) {
    if (cmd.json) {
      std::fputs(format_json(report).c_str(), stdout);
      return status;
    }
    // As compile prints them.
    std::fputs(format_diagnostics(report.diagnostics, &*report.warnings, cmd.line_source, cmd.service_source).c_str(),
               stderr);
    return status;
  };
  try {
    Sources sources;
    sources.line = SourceText{cmd.line_source, read_file(cmd.line_source)};
    sources.service = SourceText{cmd.service_source, read_file(cmd.service_source)};
    Origins origins;
    WarningSink warnings;
    warnings.enabled = cmd.warnings.enabled;
    const CompiledScenario compiled = compile_scenario(1, cmd.names, sources, &origins, &warnings);
    *report.warnings = warnings.list;
    const Scenario& s = compiled.scenario;
    report.error_code = s.error_code;
    report.error_position = s.error_position;
    report.diagnostics = compiled.diagnostics;

    view::ViewInput in;
    in.scenario = &s;
    in.origins = &origins;
    in.diagnostics = compiled.diagnostics;
    in.warnings = view::place_warnings(warnings.list, &origins);
    in.names = cmd.names;
    in.from_sources = true;
    in.fatal = compiled.fatal;
    const view::ViewParts parts = view::render_parts(in, run_both);

    // The page is written even when the model could not be: it shows why.
    write_view(cmd, parts, report.written);
    if (compiled.fatal) {
      report.fatal = compiled.fatal_number ? std::to_string(*compiled.fatal_number)
                                           : "no compiled model: " + *compiled.fatal;
      const int status = finish(kExitStopped);
      if (!cmd.json) {
        if (compiled.fatal_number) {
          platform::show_fatal(kApplicationTitle, " Errore n. " + std::to_string(*compiled.fatal_number));
        } else {
          platform::show_failure(kApplicationTitle, *report.fatal);
        }
      }
      return status;
    }
    if (s.error_code != 0) return finish(kExitFaults);
    return finish(cmd.warnings.werror && !warnings.list.empty() ? kExitFaults : kExitClean);
  } catch (const FileError& e) {
    report.fatal = e.what();
    report.written.clear();
    const int status = finish(kExitStopped);
    if (!cmd.json) platform::show_failure(kApplicationTitle, e.what());
    return status;
  }
}

}  // namespace

void add_view_command(CLI::App& app, Action& action) {
  auto cmd = std::make_shared<ViewCommand>();
  CLI::App* c = add_command(
      app, "view",
      {"compactor view LINE SERVICE [--dir DIR] [--scenario NAME] [--train NAME]\n"
       "                      [--svg DIR] [--open] [-W NAME]... [--json]\n"
       "       compactor view --compiled DIR [--dir OUT] [--scenario NAME] [--train NAME]\n"
       "                      [--svg DIR] [--open] [--json]",
       "Draws the scenario in one page: the plan and the profile of the line.\n"
       "The sources are compiled in memory exactly as compile does (the same model, the\n"
       "block pass and the codes), and the only file written is the self-contained page\n"
       "SCENARIO_TRAIN.html in DIR, replaced atomically. It needs no network: open it from\n"
       "disk in any current browser. Every item names the source row that placed it; the\n"
       "faults and the warnings are drawn where they lie. The diagnostics, the -W flags and\n"
       "the exit status are those of compile.\n"
       "With --compiled, the same page is drawn from the compiled files in DIR (read back\n"
       "as inspect reads them), without source rows; it exits 2 when a file cannot be read.",
       "  compactor view line.txt svc.txt --open        # write the page and show it\n"
       "  compactor view line.txt svc.txt --svg pics    # also the plan and the profile as SVG\n"
       "  compactor view --compiled out --dir pages     # the page of the files compiled into out/"});
  c->add_option("LINE", cmd->line_source, "the line description")->type_name("");
  c->add_option("SERVICE", cmd->service_source, "the service description")->type_name("");
  c->add_option_function<std::string>(
       "--compiled", [cmd](const std::string& d) { cmd->compiled_dir = d; },
       "draw the compiled files in DIR instead of compiling sources")
      ->type_name("DIR")
      ->check([](const std::string& d) { return d.empty() ? std::string("--compiled needs a directory") : ""; });
  add_dir_option(c, cmd->dir, "where the page goes (default: the current directory)");
  add_name_options(c, cmd->names);
  c->add_option_function<std::string>(
       "--svg", [cmd](const std::string& d) { cmd->svg_dir = d; },
       "also write SCENARIO_TRAIN_plan.svg and SCENARIO_TRAIN_profile.svg into DIR")
      ->type_name("DIR")
      ->check([](const std::string& d) { return d.empty() ? std::string("--svg needs a directory") : ""; });
  c->add_flag("--open", cmd->open, "open the page in the default browser");
  add_warning_flags(c, cmd->warning_flags);
  add_json_flag(c, cmd->json);
  c->callback([cmd, &action] {
    const bool sources = !cmd->line_source.empty() || !cmd->service_source.empty();
    if (cmd->compiled_dir && sources) {
      throw CLI::ValidationError("--compiled", "draws compiled files: give no LINE or SERVICE with it");
    }
    if (!cmd->compiled_dir && (cmd->line_source.empty() || cmd->service_source.empty())) {
      throw CLI::RequiredError(cmd->line_source.empty() ? "LINE" : "SERVICE");
    }
    if (cmd->compiled_dir && !cmd->warning_flags.empty()) {
      throw CLI::ValidationError("-W", "warnings come from sources: --compiled takes no -W");
    }
    if (std::optional<std::string> error = apply_warning_flags(cmd->warning_flags, cmd->warnings)) {
      throw CLI::ValidationError("-W", *error);
    }
    action = [cmd] { return view_run(*cmd); };
  });
}

}  // namespace compactor
