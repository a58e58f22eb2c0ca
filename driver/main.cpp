// The compactor executable: the command line, then the run.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "driver/platform.h"

int main(int argc, char** argv) {
  compactor::platform::prepare(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const compactor::ParsedCommand parsed = compactor::parse_command_line(args);
  std::fputs(parsed.out.c_str(), stdout);
  std::fputs(parsed.err.c_str(), stderr);
  if (!parsed.action) return parsed.status;
  return parsed.action();
}
