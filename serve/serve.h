// compactor serve: the live preview. Compiles the two sources in memory,
// serves the page that shows them on the loopback, and on every change of
// either file (debounced) compiles again and sends the new state to every
// open page, printing the diagnostics as `compile` prints them. A source
// caught mid-save gives its faults and never stops the server; the page keeps
// the last picture that compiled. Ends cleanly, with status 0, on Ctrl-C,
// SIGINT or SIGTERM.
// Depends on serve/, pipeline/ and driver's files, report and compile driver.
#pragma once

#include <optional>
#include <string>

#include "compiler/warnings.h"
#include "model/scenario.h"

namespace compactor::serve {

inline constexpr int kDefaultPort = 8470;

struct ServeOptions {
  std::string line_source;
  std::string service_source;
  Names names;
  int port = kDefaultPort;  // 0: a free port
  std::optional<std::string> write_dir;  // also write the compiled files there
  bool polling = false;  // watch by polling only (network drives)
  // The warnings to look for (-W flags, as compile takes them).
  WarningFlags warnings;
};

// Serves until asked to stop: 0 then; 2 when it could not start.
int run_serve(const ServeOptions& options);

}  // namespace compactor::serve
