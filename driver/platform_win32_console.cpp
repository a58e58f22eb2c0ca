// The platform layer of the Windows console program: "Attendere" on a
// console's standard error, fatal messages on standard error. The rest is in
// platform_win32.cpp.
#include <cstdio>
#include <io.h>

#include "driver/console_text.h"
#include "driver/platform.h"

namespace compactor::platform {

void prepare(int, char**) {}

void show_waiting(const std::string&) { console::show_waiting(_isatty(_fileno(stderr)) != 0); }
void hide_waiting() { console::hide_waiting(); }
void show_fatal(const std::string& title, const std::string& message) { console::show_fatal(title, message); }
void show_failure(const std::string&, const std::string& message) { console::show_failure(message); }

}  // namespace compactor::platform
