// The preview's HTTP server on cpp-httplib: the page at "/", its state as
// JSON at "/state" and the state's event stream (Server-Sent Events) at
// "/events", and nothing else. It listens on the loopback only, answers only
// requests whose Host names the loopback and its own port (so that a page of
// another site cannot reach it through a name rebound to 127.0.0.1), GET
// only, sends no CORS header and bounds the event streams open at once.
// Depends on serve/hub.h (and cpp-httplib).
#pragma once

#include <memory>
#include <string>

#include "serve/hub.h"

namespace httplib {
class Server;
}

namespace compactor::serve {

// How many event streams may be open at once; one more gets 503.
inline constexpr int kMaxStreams = 8;

// True when `host` is "127.0.0.1:PORT", "localhost:PORT" or "[::1]:PORT"
// (the name in any case) for this port.
bool host_allowed(const std::string& host, int port);

class Server {
 public:
  explicit Server(Hub& hub);
  ~Server();

  // Binds 127.0.0.1 at `port` (0: a free port). The bound port, or -1.
  int bind(int port);

  // Serves until stop(). False when it could not serve at all.
  bool run();

  // Ends run(): closes the listening socket; run() returns once its
  // connections are done (stop the hub first, which ends the event streams).
  // Safe from any thread; a call before run() began listening does nothing,
  // so a caller repeats it until run() has returned.
  void stop();

 private:
  Hub& hub_;
  std::unique_ptr<httplib::Server> http_;
  int port_ = -1;
};

}  // namespace compactor::serve
