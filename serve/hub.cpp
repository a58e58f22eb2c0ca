#include "serve/hub.h"

namespace compactor::serve {

void Hub::publish(std::string state, std::string page) {
  {
    std::lock_guard lock(mutex_);
    state_ = std::move(state);
    page_ = std::move(page);
    ++generation_;
  }
  changed_.notify_all();
}

std::string Hub::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::string Hub::page() const {
  std::lock_guard lock(mutex_);
  return page_;
}

uint64_t Hub::generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

std::optional<std::string> Hub::wait_newer(uint64_t& seen, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return stopped_ || generation_ > seen; });
  if (stopped_ || generation_ <= seen) return std::nullopt;
  seen = generation_;
  return state_;
}

bool Hub::open_stream() {
  std::lock_guard lock(mutex_);
  if (stopped_ || streams_ >= max_streams_) return false;
  ++streams_;
  return true;
}

void Hub::close_stream() {
  std::lock_guard lock(mutex_);
  if (streams_ > 0) --streams_;
}

int Hub::open_streams() const {
  std::lock_guard lock(mutex_);
  return streams_;
}

void Hub::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
}

bool Hub::stopped() const {
  std::lock_guard lock(mutex_);
  return stopped_;
}

}  // namespace compactor::serve
