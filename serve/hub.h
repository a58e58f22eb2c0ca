// The preview's current state and the event streams that follow it: the
// watcher publishes each new state, every open stream waits for the next one.
// Bounds the number of streams open at once. Threads only; no I/O.
// Depends on nothing but the standard library.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace compactor::serve {

class Hub {
 public:
  explicit Hub(int max_streams) : max_streams_(max_streams) {}

  // Replaces the state and the page that shows it; every waiting stream
  // wakes with the new state.
  void publish(std::string state, std::string page);

  // The current state, its page and its generation (0 before the first publish).
  std::string state() const;
  std::string page() const;
  uint64_t generation() const;

  // Waits until a state newer than `seen` is published (returns it and sets
  // `seen` to its generation), the hub stops or `timeout` passes (nullopt).
  std::optional<std::string> wait_newer(uint64_t& seen, std::chrono::milliseconds timeout);

  // A place for one more stream: false when `max_streams` are open already
  // or the hub has stopped. Each granted place is given back with close_stream.
  bool open_stream();
  void close_stream();
  int open_streams() const;

  // Wakes every waiting stream for good.
  void stop();
  bool stopped() const;

 private:
  const int max_streams_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string state_;
  std::string page_;
  uint64_t generation_ = 0;
  int streams_ = 0;
  bool stopped_ = false;
};

}  // namespace compactor::serve
