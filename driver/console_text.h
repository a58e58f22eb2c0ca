// What a console program shows on standard error: "Attendere" while the run
// works (on a terminal only, cleared when done), fatal messages and failures.
// Shared by the POSIX and the Windows console layers.
#pragma once

#include <string>

namespace compactor::platform::console {

void show_waiting(bool on_terminal);
void hide_waiting();
void show_fatal(const std::string& title, const std::string& message);
void show_failure(const std::string& message);

}  // namespace compactor::platform::console
