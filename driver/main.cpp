// The compactor executable: the command line, then the run.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/platform.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  compactor::platform::prepare();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const compactor::ParsedCommand parsed = compactor::parse_command_line(args);
  if (!parsed.command) {
    std::fprintf(stderr, "compactor: %s\n%s", parsed.error.c_str(), compactor::kUsage);
    return compactor::kExitUsage;
  }
  return compactor::run_command(*parsed.command);
}
