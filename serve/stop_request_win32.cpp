#include <windows.h>

#include <condition_variable>
#include <mutex>

#include "serve/stop_request.h"

namespace compactor::serve {
namespace {

std::mutex mutex;
std::condition_variable changed;
bool requested = false;
bool done = false;

BOOL WINAPI on_console_event(DWORD event) {
  {
    std::lock_guard lock(mutex);
    requested = true;
  }
  changed.notify_all();
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // The process ends when this returns: let the server stop first.
    std::unique_lock lock(mutex);
    changed.wait_for(lock, std::chrono::seconds(4), [] { return done; });
  }
  return TRUE;
}

}  // namespace

void catch_stop_requests() { SetConsoleCtrlHandler(on_console_event, TRUE); }

bool wait_stop_request(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex);
  changed.wait_for(lock, timeout, [] { return requested; });
  return requested;
}

void stopped() {
  {
    std::lock_guard lock(mutex);
    done = true;
  }
  changed.notify_all();
}

}  // namespace compactor::serve
