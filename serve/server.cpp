#include "serve/server.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace compactor::serve {
namespace {

// Threads enough for every event stream and a few requests beside them
// (each open connection holds a thread while it is kept alive).
constexpr size_t kThreads = kMaxStreams + 8;

// A stream with nothing new sends a comment this often, which also finds
// pages that went away and frees their places.
constexpr std::chrono::milliseconds kHeartbeat{2000};

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

void plain(httplib::Response& res, int status, const std::string& text) {
  res.status = status;
  res.set_content(text + "\n", "text/plain; charset=utf-8");
}

}  // namespace

bool host_allowed(const std::string& host, int port) {
  const std::string p = ":" + std::to_string(port);
  const std::string h = lower(host);
  return h == "127.0.0.1" + p || h == "localhost" + p || h == "[::1]" + p;
}

Server::Server(Hub& hub) : hub_(hub), http_(std::make_unique<httplib::Server>()) {
  httplib::Server& s = *http_;
  s.new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
  // One server to a port: the library's default would share the port with
  // any later server of the same user (SO_REUSEPORT), which would then get
  // some of the connections meant for this one.
  s.set_socket_options([](socket_t sock) {
    int yes = 1;
#ifdef _WIN32
    setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
#else
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
  });
  s.set_keep_alive_timeout(2);
  s.set_read_timeout(5);
  s.set_write_timeout(5);
  s.set_payload_max_length(64 * 1024);
  s.set_default_headers({{"Cache-Control", "no-store"},
                         {"X-Content-Type-Options", "nosniff"},
                         {"Referrer-Policy", "no-referrer"}});

  // Before any route: the Host, then the method.
  s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    if (req.get_header_value_count("Host") != 1 ||
        !host_allowed(req.get_header_value("Host"), port_)) {
      plain(res, 403, "forbidden: this server answers only to the loopback and its own port");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (req.method != "GET") {
      plain(res, 405, "method not allowed");
      res.set_header("Allow", "GET");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (req.path != "/" && req.path != "/state" && req.path != "/events") {
      plain(res, 404, "not found");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  s.Get("/", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(hub_.page(), "text/html; charset=utf-8");
  });
  s.Get("/state", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(hub_.state(), "application/json");
  });
  s.Get("/events", [this](const httplib::Request&, httplib::Response& res) {
    if (!hub_.open_stream()) {
      plain(res, 503, "too many open event streams");
      res.set_header("Retry-After", "2");
      return;
    }
    // Each stream starts with the current state, so a page that reconnects
    // catches up, then sends every newer one.
    auto seen = std::make_shared<uint64_t>(0);
    res.set_header("X-Accel-Buffering", "no");
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, seen](size_t offset, httplib::DataSink& sink) {
          if (offset == 0) {
            const std::string hello = "retry: 500\n\n";
            if (!sink.write(hello.data(), hello.size())) return false;
          }
          const std::optional<std::string> state = hub_.wait_newer(*seen, kHeartbeat);
          if (hub_.stopped()) return false;
          const std::string chunk =
              state ? "event: state\ndata: " + *state + "\n\n" : std::string(": \n\n");
          return sink.write(chunk.data(), chunk.size());
        },
        [this](bool) { hub_.close_stream(); });
  });
}

Server::~Server() = default;

int Server::bind(int port) {
  if (port == 0) port_ = http_->bind_to_any_port("127.0.0.1");
  else port_ = http_->bind_to_port("127.0.0.1", port) ? port : -1;
  return port_;
}

bool Server::run() { return http_->listen_after_bind(); }

void Server::stop() { http_->stop(); }

}  // namespace compactor::serve
