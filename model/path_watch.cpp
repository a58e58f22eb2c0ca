#include "model/path_watch.h"

namespace compactor {
namespace {

thread_local PathWatch* current_watch = nullptr;

}  // namespace

void PathWatch::publish(const double* x, const double* y, int64_t next) {
  if (x_ == nullptr) {
    x_ = x;
    y_ = y;
  }
  next_.store(next, std::memory_order_release);
  if (next >= wake_at_) {
    wake_at_ = next + kWakeEvery;
    next_.notify_all();
  }
}

void PathWatch::close(const Path* final) {
  final_ = final;
  next_.store(kClosed, std::memory_order_release);
  next_.notify_all();
}

int64_t PathWatch::wait_for(int64_t want) {
  for (;;) {
    const int64_t n = next_.load(std::memory_order_acquire);
    if (n == kClosed || n >= want) return n;
    next_.wait(n, std::memory_order_acquire);
  }
}

PathWatch* PathWatch::current() { return current_watch; }

PathWatch::Scope::Scope(PathWatch* w) : previous_(current_watch) { current_watch = w; }
PathWatch::Scope::~Scope() { current_watch = previous_; }

}  // namespace compactor
