// The command check: the whole compile in memory, every fault and warning,
// reading on past the point where the compile gave up; nothing is written.
#include <memory>

#include "driver/cli.h"
#include "driver/diagnostic_options.h"
#include "driver/run.h"

namespace compactor {

void add_check_command(CLI::App& app, Action& action) {
  auto cmd = std::make_shared<Command>();
  cmd->mode = Mode::kCheck;
  CLI::App* c = add_command(
      app, "check",
      {"compactor check LINE SERVICE [-W NAME]... [--json] [--sarif FILE]",
       "Checks a line description and a service description without writing anything.\n"
       "It compiles them in memory and shows every fault and warning of the compile, then\n"
       "reads on past the point where the compile gave up: after a fault that makes the\n"
       "compiler return the row is skipped, after a reading failure reading resumes at\n"
       "the next line. What it finds there is marked \"found after the compile stopped at\n"
       "FILE:LINE\". Exit status 0 when nothing is found, 1 with any fault, or with any\n"
       "warning under -Werror.",
       "  compactor check line.txt svc.txt\n"
       "  compactor check line.txt svc.txt -Wall --sarif check.sarif"});
  c->add_option("LINE", cmd->line_source, "the line description")->required()->type_name("");
  c->add_option("SERVICE", cmd->service_source, "the service description")->required()->type_name("");
  add_json_flag(c, cmd->json);
  add_diagnostic_options(c, *cmd);
  c->callback([cmd, &action] {
    check_warning_flags(*cmd);
    action = [cmd] { return run_command(*cmd); };
  });
}

}  // namespace compactor
