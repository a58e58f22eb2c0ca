// serve in compactor-serve: this program is built without the HTTP library,
// and hands its process over to the one built with it
// (driver/serve_command.h). The command line was read and checked already;
// compactor-serve reads the same arguments again.
#include <cstdio>
#include <string>

#include "driver/platform.h"
#include "driver/run.h"
#include "driver/serve_command.h"

namespace compactor {

int run_serve_command(const serve::ServeOptions&) {
  const std::string reason = platform::hand_over("compactor-serve");
  std::fprintf(stderr, "compactor: serve: %s\n", reason.c_str());
  return kExitStopped;
}

}  // namespace compactor
