// The watcher on POSIX systems: inotify on Linux, polling elsewhere.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

#include "serve/watcher_polling.h"

#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace compactor::serve {

FileSignature file_signature(const std::string& path) {
  struct stat st;
  FileSignature sig;
  if (::stat(path.c_str(), &st) != 0) return sig;
  sig.exists = true;
  sig.size = static_cast<unsigned long long>(st.st_size);
#ifdef __linux__
  sig.mtime_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
#else
  sig.mtime_ns = static_cast<long long>(st.st_mtime) * 1000000000LL;
#endif
  sig.identity = static_cast<unsigned long long>(st.st_ino) ^
                 (static_cast<unsigned long long>(st.st_dev) << 32);
  return sig;
}

#ifdef __linux__
namespace {

// inotify on the directory of each file, with a pipe that stop() writes to.
// Polling goes on beside it, seldom, and often once a watched directory is
// gone (renamed or deleted), since inotify no longer reports on it.
class InotifyWatcher : public Watcher {
 public:
  static std::unique_ptr<InotifyWatcher> open(const std::vector<std::string>& paths) {
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return nullptr;
    std::unique_ptr<InotifyWatcher> w(new InotifyWatcher(fd, paths));
    if (::pipe2(w->stop_pipe_, O_NONBLOCK | O_CLOEXEC) != 0) return nullptr;
    constexpr uint32_t kMask = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                               IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
    for (const std::string& p : paths) {
      const std::string dir = directory_of(p);
      const int wd = ::inotify_add_watch(fd, dir.c_str(), kMask);
      if (wd < 0) return nullptr;
      w->names_[wd].insert(name_of(p));
    }
    return w;
  }

  ~InotifyWatcher() override {
    ::close(fd_);
    if (stop_pipe_[0] >= 0) ::close(stop_pipe_[0]);
    if (stop_pipe_[1] >= 0) ::close(stop_pipe_[1]);
  }

  bool wait(std::chrono::milliseconds timeout) override {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (stopped()) return false;
      if (drain()) {
        poll_.refresh();
        return true;
      }
      auto now = std::chrono::steady_clock::now();
      if (now >= next_poll_) {
        next_poll_ = now + (lost_ ? kPollInterval : kSafetyPollInterval);
        if (poll_.changed()) return true;
      }
      if (now >= deadline) return false;
      const auto until = std::min(deadline, next_poll_);
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
      pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
      ::poll(fds, 2, static_cast<int>(std::max<long long>(1, ms)));
    }
  }

  void stop() override {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(stop_pipe_[1], &byte, 1);
  }

  std::string method() const override { return "inotify"; }

 private:
  InotifyWatcher(int fd, const std::vector<std::string>& paths) : fd_(fd), poll_(paths) {
    next_poll_ = std::chrono::steady_clock::now() + kSafetyPollInterval;
  }

  bool stopped() {
    pollfd p{stop_pipe_[0], POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
  }

  // Reads every pending event; true when one concerns a watched file.
  bool drain() {
    bool relevant = false;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) return relevant;
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        if (e->mask & IN_Q_OVERFLOW) {
          relevant = true;
          continue;
        }
        if (e->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
          // The directory itself went: only polling can follow from here.
          lost_ = true;
          relevant = true;
          continue;
        }
        const auto it = names_.find(e->wd);
        if (it != names_.end() && e->len > 0 && it->second.count(e->name) > 0) relevant = true;
      }
    }
  }

  int fd_;
  int stop_pipe_[2] = {-1, -1};
  std::map<int, std::set<std::string>> names_;
  SignaturePoll poll_;
  std::chrono::steady_clock::time_point next_poll_;
  bool lost_ = false;
};

}  // namespace
#endif

std::unique_ptr<Watcher> make_watcher(const std::vector<std::string>& paths, bool polling_only) {
#ifdef __linux__
  if (!polling_only) {
    if (auto w = InotifyWatcher::open(paths)) return w;
  }
#endif
  return std::make_unique<PollingWatcher>(paths, kPollInterval);
}

}  // namespace compactor::serve
