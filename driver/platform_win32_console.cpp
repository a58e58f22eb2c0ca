// The platform layer of the Windows console program: "Attendere" on a
// console's standard error, fatal messages on standard error. The rest is in
// platform_win32.cpp.
#include <cstdio>
#include <io.h>

#include "driver/platform.h"

namespace compactor::platform {
namespace {
bool waiting_shown = false;
}

void prepare() {}

void show_waiting(const std::string&) {
  if (_isatty(_fileno(stderr)) == 0) return;
  std::fputs("Attendere", stderr);
  std::fflush(stderr);
  waiting_shown = true;
}

void hide_waiting() {
  if (!waiting_shown) return;
  std::fputs("\r         \r", stderr);
  std::fflush(stderr);
  waiting_shown = false;
}

void show_fatal(const std::string& title, const std::string& message) {
  hide_waiting();
  std::fprintf(stderr, "%s: %s\n", title.c_str(), message.c_str());
}

void show_failure(const std::string&, const std::string& message) {
  hide_waiting();
  std::fprintf(stderr, "compactor: %s\n", message.c_str());
}

}  // namespace compactor::platform
