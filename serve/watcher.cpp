// The parts of the watcher common to every platform: paths cut as text, and
// the polling that every watcher uses, alone or as a safety net.
#include "serve/watcher_polling.h"

#include <thread>

namespace compactor::serve {
namespace {

size_t last_separator(const std::string& path) {
#ifdef _WIN32
  return path.find_last_of("/\\");
#else
  return path.find_last_of('/');
#endif
}

}  // namespace

std::string directory_of(const std::string& path) {
  const size_t cut = last_separator(path);
  if (cut == std::string::npos) return ".";
  if (cut == 0) return path.substr(0, 1);
  return path.substr(0, cut);
}

std::string name_of(const std::string& path) {
  const size_t cut = last_separator(path);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

SignaturePoll::SignaturePoll(std::vector<std::string> paths) : paths_(std::move(paths)) {
  refresh();
}

void SignaturePoll::refresh() {
  seen_.clear();
  for (const std::string& p : paths_) seen_.push_back(file_signature(p));
}

bool SignaturePoll::changed() {
  bool any = false;
  for (size_t i = 0; i < paths_.size(); ++i) {
    const FileSignature now = file_signature(paths_[i]);
    if (!(now == seen_[i])) {
      seen_[i] = now;
      any = true;
    }
  }
  return any;
}

PollingWatcher::PollingWatcher(std::vector<std::string> paths, std::chrono::milliseconds interval)
    : poll_(std::move(paths)), interval_(interval) {}

bool PollingWatcher::wait(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  for (;;) {
    if (stopped_) return false;
    if (poll_.changed()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    const auto next = std::min(deadline, now + interval_);
    woken_.wait_until(lock, next, [&] { return stopped_; });
  }
}

void PollingWatcher::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  woken_.notify_all();
}

}  // namespace compactor::serve
