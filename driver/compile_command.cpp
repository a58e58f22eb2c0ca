// The commands export and compile.
#include <memory>

#include "driver/cli.h"
#include "driver/diagnostic_options.h"
#include "driver/run.h"

namespace compactor {

// -W flags and --sarif, on compile and check.
void add_diagnostic_options(CLI::App* c, Command& cmd) {
  add_warning_flags(c, cmd.warning_flags);
  c->add_option_function<std::string>(
       "--sarif", [&cmd](const std::string& f) { cmd.sarif = f; },
       "also write the faults and warnings as a SARIF 2.1.0 log to FILE")
      ->type_name("FILE");
}

// What the -W values mean; an unknown name is a usage error.
void check_warning_flags(Command& cmd) {
  if (std::optional<std::string> error = apply_warning_flags(cmd.warning_flags, cmd.warnings)) {
    throw CLI::ValidationError("-W", *error);
  }
}

}  // namespace compactor

namespace compactor {

void add_export_command(CLI::App& app, Action& action) {
  auto cmd = std::make_shared<Command>();
  cmd->mode = Mode::kExport;
  CLI::App* c = add_command(
      app, "export",
      {"compactor export [--dir DIR] [--json]",
       "Writes the built-in scenario's two source texts and its three crew documents.\n"
       "The line description (SCENARIO_linea.txt), the service description\n"
       "(SCENARIO_TRAIN-.txt), the scenario notes, the slowdown order form and the train\n"
       "sheet go into DIR; nothing is compiled and nothing deleted. The sources are the\n"
       "place to start a scenario of your own.",
       "  compactor export --dir mine     # the five texts into mine/\n"
       "  compactor compile \"mine/Lavena_Codrano2_linea.txt\" \"mine/Lavena_Codrano2_ES 2718-.txt\""});
  add_dir_option(c, cmd->dir, "where the texts go (default: the current directory)");
  add_json_flag(c, cmd->json);
  c->callback([cmd, &action] { action = [cmd] { return run_command(*cmd); }; });
}

void add_compile_command(CLI::App& app, Action& action) {
  auto cmd = std::make_shared<Command>();
  cmd->mode = Mode::kCompile;
  CLI::App* c = add_command(
      app, "compile",
      {"compactor compile LINE SERVICE [--dir DIR] [--scenario NAME] [--train NAME]\n"
       "                         [--no-path] [-W NAME]... [--json] [--sarif FILE]",
       "Compiles a line description and a service description into the three compiled files.\n"
       "The path file SCENARIO_linea.dat, the table file SCENARIO_TRAIN.sim and the track\n"
       "file SCENARIO_TRAIN.dat are written into DIR, each replaced atomically. The sources\n"
       "are only read. Faults in the sources do not stop the compile: each is shown as\n"
       "FILE:LINE:COL: error CODE: MESSAGE, and the exit status is 1. A line description that\n"
       "never sized the track, or a fatal error of the model, writes nothing (status 2).\n"
       "Warnings (FILE:LINE:COL: warning: MESSAGE [-WNAME]) change nothing that is written\n"
       "and, without -Werror, not the exit status either.",
       "  compactor compile line.txt svc.txt --dir out\n"
       "  compactor compile line.txt svc.txt --scenario Alfa --train \"R 101\"\n"
       "  compactor compile line.txt svc.txt --no-path --json   # keep the earlier path file\n"
       "  compactor compile line.txt svc.txt -Wall -Werror      # any warning fails the run"});
  c->add_option("LINE", cmd->line_source, "the line description")->required()->type_name("");
  c->add_option("SERVICE", cmd->service_source, "the service description")->required()->type_name("");
  add_dir_option(c, cmd->dir, "where the compiled files go (default: the current directory)");
  add_name_options(c, cmd->names);
  c->add_flag_callback(
      "--no-path", [cmd] { cmd->keep_path = false; },
      "write no path file and leave an existing one as it is");
  add_json_flag(c, cmd->json);
  add_diagnostic_options(c, *cmd);
  c->callback([cmd, &action] {
    check_warning_flags(*cmd);
    action = [cmd] { return run_command(*cmd); };
  });
}

}  // namespace compactor
