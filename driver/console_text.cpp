#include "driver/console_text.h"

#include <cstdio>

namespace compactor::platform::console {
namespace {
bool waiting_shown = false;
}

void show_waiting(bool on_terminal) {
  if (!on_terminal) return;
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

void show_failure(const std::string& message) {
  hide_waiting();
  std::fprintf(stderr, "compactor: %s\n", message.c_str());
}

}  // namespace compactor::platform::console
