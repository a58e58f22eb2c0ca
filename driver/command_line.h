// The command line: which command runs, with what, or the help, the version
// or a usage error to print. Every command and option is described in
// driver/*_command.cpp (see driver/cli.h); this is what main() calls.
#pragma once

#include <string>
#include <vector>

#include "driver/cli.h"
#include "driver/version.h"

namespace compactor {

struct ParsedCommand {
  Action action;      // set when a command is to run
  int status = 0;     // else: exit at once with this status...
  std::string out;    // ...after printing these (help, version)
  std::string err;    // (usage error)
};

ParsedCommand parse_command_line(const std::vector<std::string>& args);

}  // namespace compactor
