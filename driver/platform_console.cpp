// The platform layer for POSIX consoles: "Attendere" on a terminal's standard
// error, fatal messages on standard error, files joined with '/'.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/console_text.h"
#include "driver/platform.h"

extern char** environ;

namespace compactor::platform {

namespace {
char** started_with = nullptr;  // main()'s argv, for hand_over
}  // namespace

void prepare(int, char** argv) {
  started_with = argv;
  // A write beyond a file-size limit then fails with an error the run
  // reports, instead of killing the process.
  std::signal(SIGXFSZ, SIG_IGN);
}

char separator() { return '/'; }

std::string join(const std::string& dir, const std::string& name) {
  return dir + separator() + name;
}

std::string move_over(const std::string& from, const std::string& to) {
#if defined(RENAME_EXCHANGE)
  // Over an earlier regular file, the two names are exchanged and the earlier
  // file, now under the temporary name, is deleted. A plain rename over it
  // would do the same in one call, but ext4 then writes the new file out to
  // disk before the rename returns, which costs more than writing it. Every
  // file the program writes is derived again by the next run.
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) {
    ::unlink(from.c_str());
    return "";
  }
#endif
  if (std::rename(from.c_str(), to.c_str()) != 0) return std::strerror(errno);
  return "";
}

std::string program_directory() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return exe.parent_path().string();
}

std::string hand_over(const std::string& name) {
  if (started_with == nullptr || started_with[0] == nullptr) return "no arguments to hand over";
  const std::filesystem::path dir = program_directory();
  const std::string places[] = {(dir / name).string(),
                                (dir.parent_path() / "libexec" / "compactor" / name).string()};
  std::string missing;
  for (const std::string& place : places) {
    // The program's own path as its first argument, as a shell gives it.
    started_with[0] = const_cast<char*>(place.c_str());
    execv(place.c_str(), started_with);
    if (errno != ENOENT) return "cannot run " + place + ": " + std::strerror(errno);
    missing += (missing.empty() ? "" : " nor ") + place;
  }
  return "cannot run " + name + ": no " + missing;
}

void show_waiting(const std::string&) { console::show_waiting(isatty(STDERR_FILENO) != 0); }
void hide_waiting() { console::hide_waiting(); }
void show_fatal(const std::string& title, const std::string& message) { console::show_fatal(title, message); }
void show_failure(const std::string&, const std::string& message) { console::show_failure(message); }

std::string open_in_desktop(const std::string& path) {
  // The opener runs on its own; its output stays out of ours.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = "xdg-open";
  std::string arg = path;
  char* argv[] = {program.data(), arg.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, "xdg-open", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return std::string("xdg-open: ") + std::strerror(rc);
  return "";
}

}  // namespace compactor::platform
