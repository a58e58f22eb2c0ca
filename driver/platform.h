// The platform layer: the few things the run needs from the operating system
// and the screen. One implementation per platform: platform_console.cpp for
// POSIX consoles, platform_win32_console.cpp for the Windows console program
// and platform_win32_window.cpp for the windowed one (the last two share
// platform_win32.cpp). driver/CMakeLists.txt picks the layer for each
// executable; nothing else in the program asks which platform it runs on.
#pragma once

#include <string>

namespace compactor::platform {

// Called once when the program starts, before any other call, with main()'s
// arguments.
void prepare(int argc, char** argv);

// The separator between a directory and a file name: '\' on Windows, '/' elsewhere.
char separator();

// The directory, the separator, the name: plain concatenation, no check for a
// separator already at the end of the directory.
std::string join(const std::string& dir, const std::string& name);

// The directory that holds the running executable.
std::string program_directory();

// Replaces this process by the program `name` installed with this one (beside
// it, or in ../libexec/compactor/ from its directory) with the arguments this
// one was started with: same process, standard streams and signals, and that
// program's exit status. Returns only when it cannot, with the reason.
// POSIX only: the Windows build has no use for it.
std::string hand_over(const std::string& name);

// Puts the complete file `from` in the place of the file `to` in one step, so
// that at every instant `to` names either its earlier file or the new one,
// and `from` is gone afterwards. Returns the reason on failure, else "".
std::string move_over(const std::string& from, const std::string& to);

// "Attendere" while the run works, cleared when it is done. A windowed layer
// captions its window with the application's title.
void show_waiting(const std::string& title);
void hide_waiting();

// Shows a fatal message captioned with the application's title and returns
// once it has been seen (closed, on a windowed platform).
void show_fatal(const std::string& title, const std::string& message);

// Reports a failure that stopped the run early, such as a file that could not
// be written, the way the platform reports a program's run-time errors: a
// line "compactor: MESSAGE" on a console's standard error, a message box
// captioned with the application's title from the windowed program.
void show_failure(const std::string& title, const std::string& message);

// Opens a file in the program the desktop uses for it (a page in the default
// browser): ShellExecute on Windows, xdg-open elsewhere. Does not wait for
// the program. Returns the reason on failure, else "".
std::string open_in_desktop(const std::string& path);

}  // namespace compactor::platform
