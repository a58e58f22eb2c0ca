// The options of the commands that report warnings (compile, check, view):
// the -W flags and --sarif FILE, bound to a Command, and the check of the -W
// values once the line is parsed. Part of driver/.
#pragma once

#include "driver/cli.h"
#include "driver/run.h"

namespace compactor {

// Adds -W NAME / -WNAME / -Wno-NAME / -Wall / -Werror and --sarif FILE.
void add_diagnostic_options(CLI::App* command, Command& cmd);

// Turns the -W values into cmd.warnings; an unknown warning name throws
// CLI::ValidationError (a usage error, status 64). Call it from the
// command's callback.
void check_warning_flags(Command& cmd);

}  // namespace compactor
