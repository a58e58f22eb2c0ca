#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

#include "serve/stop_request.h"

namespace compactor::serve {
namespace {

sigset_t stop_signals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

std::atomic<bool> requested{false};

}  // namespace

void catch_stop_requests() {
  // Blocked here, and so in every thread started later: the signals wait
  // until wait_stop_request takes them.
  const sigset_t set = stop_signals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  // A page that went away mid-write is a failed write, not the end.
  signal(SIGPIPE, SIG_IGN);
}

bool wait_stop_request(std::chrono::milliseconds timeout) {
  if (requested) return true;
  const sigset_t set = stop_signals();
#ifdef __linux__
  timespec ts{static_cast<time_t>(timeout.count() / 1000),
              static_cast<long>(timeout.count() % 1000) * 1000000L};
  if (sigtimedwait(&set, nullptr, &ts) > 0) requested = true;
#else
  sigset_t pending;
  for (auto left = timeout; !requested; left -= std::chrono::milliseconds(10)) {
    sigpending(&pending);
    if (sigismember(&pending, SIGINT) || sigismember(&pending, SIGTERM)) {
      int sig;
      sigwait(&set, &sig);
      requested = true;
      break;
    }
    if (left.count() <= 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
#endif
  return requested;
}

void stopped() {}

}  // namespace compactor::serve
