// Polling, for the watchers' own use: the signatures of a few files, compared
// with the ones seen last.
#pragma once

#include <condition_variable>
#include <mutex>

#include "serve/watcher.h"

namespace compactor::serve {

class SignaturePoll {
 public:
  explicit SignaturePoll(std::vector<std::string> paths);
  // True when a file's signature differs from the one seen last (and
  // remembers the new ones).
  bool changed();
  // Takes the current signatures as seen.
  void refresh();

 private:
  std::vector<std::string> paths_;
  std::vector<FileSignature> seen_;
};

class PollingWatcher : public Watcher {
 public:
  PollingWatcher(std::vector<std::string> paths, std::chrono::milliseconds interval);
  bool wait(std::chrono::milliseconds timeout) override;
  void stop() override;
  std::string method() const override { return "polling"; }

 private:
  SignaturePoll poll_;
  const std::chrono::milliseconds interval_;
  std::mutex mutex_;
  std::condition_variable woken_;
  bool stopped_ = false;
};

// How often the polling watcher looks, and how often a notifying watcher
// looks as well, in case a change came without a notification.
inline constexpr std::chrono::milliseconds kPollInterval{100};
inline constexpr std::chrono::milliseconds kSafetyPollInterval{1000};

}  // namespace compactor::serve
