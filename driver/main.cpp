// The compactor executable: the command line, then the run.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/platform.h"
#include "driver/run.h"

namespace compactor {
int serve_main(const std::vector<std::string>& args);
}

int main(int argc, char** argv) {
  compactor::platform::prepare();
  const std::vector<std::string> args(argv + 1, argv + argc);
#ifdef COMPACTOR_HAS_SERVE
  if (!args.empty() && args[0] == "serve") {
    return compactor::serve_main(std::vector<std::string>(args.begin() + 1, args.end()));
  }
#endif
  const compactor::ParsedCommand parsed = compactor::parse_command_line(args);
  if (!parsed.command) {
    std::fprintf(stderr, "compactor: %s\n%s", parsed.error.c_str(), compactor::kUsage);
    return compactor::kExitUsage;
  }
  return compactor::run_command(*parsed.command);
}
