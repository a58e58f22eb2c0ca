// The run sequence: the built-in run (write the sources and the crew
// documents, compile, write the compiled files), export, and compile of a
// user's sources. Each returns the process exit status:
//   0  compiled files written, error code 0 (check: nothing found)
//   1  compiled files written, error code not 0, or warnings under -Werror
//      (check: a fault found, or a warning under -Werror)
//   2  stopped before writing them (fatal 1250/1251, no track, file error)
//   64 usage error
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compiler/warnings.h"
#include "model/scenario.h"

namespace compactor {

enum class Mode { kBuiltIn, kExport, kCompile, kCheck };

// The built-in run, export and compile, as their command lines give them.
struct Command {
  Mode mode = Mode::kBuiltIn;
  std::optional<std::string> dir;
  std::string line_source;
  std::string service_source;
  Names names;
  bool keep_path = true;
  bool json = false;
  // compile and check: the -W flags as given, and what they mean.
  std::vector<std::string> warning_flags;
  WarningFlags warnings;
  std::optional<std::string> sarif;  // --sarif FILE
};

inline constexpr int kExitClean = 0;
inline constexpr int kExitFaults = 1;
inline constexpr int kExitStopped = 2;
inline constexpr int kExitUsage = 64;

// The application's title, the caption of its fatal message.
inline constexpr const char* kApplicationTitle = "Lavena_Codrano2_ES 2718";

int run_command(const Command& cmd);

}  // namespace compactor
