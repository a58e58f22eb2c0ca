// The command line:
//   compactor [--dir DIR] [--json]
//   compactor export [--dir DIR] [--json]
//   compactor compile LINE SERVICE [--dir DIR] [--scenario NAME] [--train NAME]
//                                  [--no-path] [--json]
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/scenario.h"

namespace compactor {

enum class Mode { kBuiltIn, kExport, kCompile, kHelp };

struct Command {
  Mode mode = Mode::kBuiltIn;
  std::optional<std::string> dir;
  std::string line_source;
  std::string service_source;
  Names names;
  bool keep_path = true;
  bool json = false;
};

struct ParsedCommand {
  std::optional<Command> command;
  std::string error;  // set when the command line is not valid
};

ParsedCommand parse_command_line(const std::vector<std::string>& args);

// Empty, ".", "..", or holding "/", "\" or a control character: names become
// file names, so such a name is refused.
bool is_valid_name(const std::string& name);

extern const char* const kUsage;

}  // namespace compactor
