// compactor serve as a page and a browser meet it: its routes and their
// refusals, the event streams, saves caught half-way and saves by rename,
// the compiled files it writes, and how it ends. Every request goes to the
// loopback and every wait is bounded.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <regex>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "compiler/test_sources.h"
#include "tests/harness.h"

extern char** environ;

namespace compactor::e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Response {
  int status = 0;
  std::string head;  // the status line and the headers, lower-cased
  std::string body;
};

// One connection to 127.0.0.1:port, closed after its response.
class Connection {
 public:
  Connection(int port, const std::string& address = "127.0.0.1") {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    timeval tv{2, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~Connection() { ::close(fd_); }
  bool connected() const { return connected_; }

  void send(const std::string& bytes) {
    [[maybe_unused]] const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }

  // Reads until `done` holds for what came, the peer closes or `timeout`.
  std::string read_until(const std::function<bool(const std::string&)>& done,
                         std::chrono::milliseconds timeout = 3s) {
    const auto end = Clock::now() + timeout;
    while (!done(got_) && Clock::now() < end) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      char buffer[65536];
      const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      got_.append(buffer, static_cast<size_t>(n));
    }
    return got_;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
  std::string got_;
};

Response parse(const std::string& raw) {
  Response r;
  const size_t end = raw.find("\r\n\r\n");
  r.head = raw.substr(0, end);
  for (char& c : r.head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (end != std::string::npos) r.body = raw.substr(end + 4);
  if (raw.rfind("HTTP/1.", 0) == 0 && raw.size() > 12) r.status = std::stoi(raw.substr(9, 3));
  return r;
}

// A request sent as given, the whole answer read (the server closes).
Response request(int port, const std::string& text) {
  Connection c(port);
  if (!c.connected()) return {};
  c.send(text);
  return parse(c.read_until([](const std::string&) { return false; }));
}

Response get(int port, const std::string& path) {
  return request(port, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                           "\r\nConnection: close\r\n\r\n");
}

// The built-in line (general rows only) and a service with two signals.
const std::string& kLine = compactor::testing::kGeneralRows;
const std::string kService =
    "[generale]\r\n"
    "[segnali]\r\n"
    "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
    "segnale,    4000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
    "[fine]\r\n";
// The second signal moved onto the first one's cell.
const std::string kServiceClash =
    "[generale]\r\n"
    "[segnali]\r\n"
    "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
    "segnale,    2010,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
    "[fine]\r\n";

// compactor serve on a free port, in a scratch directory holding line.txt
// and svc.txt.
class Serve : public ::testing::Test {
 protected:
  void SetUp() override {
    spit(s / "line.txt", kLine);
    spit(s / "svc.txt", kService);
  }
  void TearDown() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }

  // Starts the server (the program `exe`) and reads its address; false when
  // it did not start.
  bool start(std::vector<std::string> extra = {}, const std::string& exe = COMPACTOR_EXE) {
    std::vector<std::string> args = {exe, "serve", "line.txt", "svc.txt", "--port", "0"};
    args.insert(args.end(), extra.begin(), extra.end());
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, (s / ".serve.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string cwd = fs::current_path();
    fs::current_path(s.dir());
    const int rc = ::posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), environ);
    fs::current_path(cwd);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fds[1]);
    out_ = pipe_fds[0];
    if (rc != 0) return false;
    // The first line of standard output is the page's address.
    std::string line;
    const auto end = Clock::now() + 10s;
    while (line.find('\n') == std::string::npos && Clock::now() < end) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char c[256];
      const ssize_t n = ::read(out_, c, sizeof c);
      if (n <= 0) break;
      line.append(c, static_cast<size_t>(n));
    }
    std::smatch m;
    if (!std::regex_search(line, m, std::regex("^http://127\\.0\\.0\\.1:([0-9]+)/\n"))) return false;
    port_ = std::stoi(m[1]);
    return true;
  }

  nlohmann::json state() {
    const Response r = get(port_, "/state");
    return r.status == 200 ? nlohmann::json::parse(r.body) : nlohmann::json();
  }

  // Waits for a state newer than generation `after`.
  nlohmann::json state_after(int after, std::chrono::milliseconds timeout = 3s) {
    const auto end = Clock::now() + timeout;
    for (;;) {
      nlohmann::json j = state();
      if (j.is_object() && j["generation"].get<int>() > after) return j;
      if (Clock::now() >= end) return nlohmann::json();
      std::this_thread::sleep_for(20ms);
    }
  }

  // Waits for a state that `done` accepts.
  nlohmann::json state_where(const std::function<bool(const nlohmann::json&)>& done,
                             std::chrono::milliseconds timeout = 3s) {
    const auto end = Clock::now() + timeout;
    for (;;) {
      nlohmann::json j = state();
      if (j.is_object() && done(j)) return j;
      if (Clock::now() >= end) return j;
      std::this_thread::sleep_for(20ms);
    }
  }

  bool running() { return ::waitpid(pid_, nullptr, WNOHANG) == 0; }

  // Sends `signal` and waits for the end: the exit status, or -1.
  int end_with(int signal) {
    ::kill(pid_, signal);
    const auto end = Clock::now() + 5s;
    int raw = 0;
    while (Clock::now() < end) {
      if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
      }
      std::this_thread::sleep_for(10ms);
    }
    return -1;
  }

  std::string err() { return slurp(s / ".serve.err"); }

  Scratch s;
  int port_ = 0;
  pid_t pid_ = -1;
  int out_ = -1;
};

TEST_F(Serve, ServesThePageItsStateAndItsEvents) {
  ASSERT_TRUE(start()) << err();
  const Response page = get(port_, "/");
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.head.find("content-type: text/html"), std::string::npos);
  EXPECT_NE(page.body.find("new EventSource('/events')"), std::string::npos);

  const nlohmann::json j = state();
  EXPECT_EQ(j["generation"], 1);
  EXPECT_TRUE(j["current"]);
  EXPECT_EQ(j["diagnostics"], nlohmann::json::array());

  Connection events(port_);
  events.send("GET /events HTTP/1.1\r\nHost: localhost:" + std::to_string(port_) + "\r\n\r\n");
  const std::string first = events.read_until(
      [](const std::string& got) { return got.find("\n\n", got.find("event: state")) != std::string::npos; });
  EXPECT_NE(parse(first).head.find("content-type: text/event-stream"), std::string::npos);
  EXPECT_NE(first.find("event: state\ndata: {"), std::string::npos);
}

// Every refusal, and the requests that pass beside them.
TEST_F(Serve, AnswersOnlyItsOwnRoutesForTheLoopbackByGet) {
  ASSERT_TRUE(start()) << err();
  const std::string p = std::to_string(port_);
  struct Case {
    std::string request;
    int status;
  };
  const auto req = [&](const std::string& method, const std::string& path, const std::string& host,
                       const std::string& extra = "") {
    return method + " " + path + " HTTP/1.1\r\n" + (host.empty() ? "" : "Host: " + host + "\r\n") +
           extra + "Connection: close\r\n\r\n";
  };
  const Case cases[] = {
      {req("GET", "/", "127.0.0.1:" + p), 200},
      {req("GET", "/", "localhost:" + p), 200},
      {req("GET", "/", "[::1]:" + p), 200},
      {req("GET", "/state", "LOCALHOST:" + p), 200},
      {req("GET", "/?view=plan", "127.0.0.1:" + p), 200},
      // DNS rebinding: another name, or the loopback with another port.
      {req("GET", "/", "attacker.example:" + p), 403},
      {req("GET", "/state", "attacker.example"), 403},
      {req("GET", "/", "127.0.0.1:" + std::to_string(port_ + 1)), 403},
      {req("GET", "/", "localhost"), 403},
      {req("GET", "/", "192.168.1.10:" + p), 403},
      {req("GET", "/", ""), 403},
      {"GET / HTTP/1.0\r\n\r\n", 403},
      {req("GET", "/", "localhost:" + p + "\r\nHost: attacker.example:" + p), 403},
      // GET only.
      {req("POST", "/", "127.0.0.1:" + p, "Content-Length: 2\r\n") + "{}", 405},
      {req("PUT", "/state", "127.0.0.1:" + p, "Content-Length: 0\r\n"), 405},
      {req("DELETE", "/state", "127.0.0.1:" + p), 405},
      {req("OPTIONS", "/events", "127.0.0.1:" + p, "Origin: http://attacker.example\r\nAccess-Control-Request-Method: GET\r\n"), 405},
      {req("PATCH", "/", "127.0.0.1:" + p, "Content-Length: 0\r\n"), 405},
      {req("HEAD", "/", "127.0.0.1:" + p), 405},
      // Nothing but the three routes: no file by path, no listing.
      {req("GET", "/line.txt", "127.0.0.1:" + p), 404},
      {req("GET", "/svc.txt", "127.0.0.1:" + p), 404},
      {req("GET", "/../../../../etc/passwd", "127.0.0.1:" + p), 404},
      {req("GET", "/%2e%2e/%2e%2e/etc/passwd", "127.0.0.1:" + p), 404},
      {req("GET", "//etc/passwd", "127.0.0.1:" + p), 404},
      {req("GET", "/state/", "127.0.0.1:" + p), 404},
      {req("GET", "/state/../line.txt", "127.0.0.1:" + p), 404},
      {req("GET", "/index.html", "127.0.0.1:" + p), 404},
      {req("GET", "/.", "127.0.0.1:" + p), 404},
      {req("GET", "/events/", "127.0.0.1:" + p), 404},
  };
  for (const Case& c : cases) {
    const Response r = request(port_, c.request);
    EXPECT_EQ(r.status, c.status) << c.request;
    EXPECT_EQ(r.head.find("access-control-"), std::string::npos) << c.request;
    if (c.status != 200) {
      EXPECT_EQ(r.body.find("segnale"), std::string::npos) << c.request;
    }
  }
  // A page of another origin asking for the state gets it without any CORS
  // header, so its script cannot read it.
  const Response cross = request(port_, req("GET", "/state", "127.0.0.1:" + p,
                                            "Origin: http://attacker.example\r\n"));
  EXPECT_EQ(cross.status, 200);
  EXPECT_EQ(cross.head.find("access-control-"), std::string::npos);
  EXPECT_TRUE(running());
}

TEST_F(Serve, ListensOnTheLoopbackAddressOnly) {
  ASSERT_TRUE(start()) << err();
  EXPECT_TRUE(Connection(port_, "127.0.0.1").connected());
  // 127.0.0.2 reaches this machine too, but nothing listens there.
  EXPECT_FALSE(Connection(port_, "127.0.0.2").connected());
}

TEST_F(Serve, BoundsTheOpenEventStreams) {
  ASSERT_TRUE(start()) << err();
  const std::string ask = "GET /events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) + "\r\n\r\n";
  const auto first_event = [](const std::string& got) {
    return got.find("\n\n", got.find("event: state")) != std::string::npos ||
           got.rfind("HTTP/1.1 503", 0) == 0;
  };
  std::vector<std::unique_ptr<Connection>> open;
  for (int i = 0; i < 8; ++i) {
    open.push_back(std::make_unique<Connection>(port_));
    open.back()->send(ask);
    EXPECT_EQ(parse(open.back()->read_until(first_event)).status, 200) << i;
  }
  Connection ninth(port_);
  ninth.send(ask);
  EXPECT_EQ(parse(ninth.read_until(first_event)).status, 503);
  // The page and its state are still served beside the full streams.
  EXPECT_EQ(get(port_, "/").status, 200);
  // A page that went away frees its place (once a write to it fails).
  open.pop_back();
  int status = 0;
  for (const auto end = Clock::now() + 10s; status != 200 && Clock::now() < end;) {
    std::this_thread::sleep_for(200ms);
    Connection again(port_);
    again.send(ask);
    status = parse(again.read_until(first_event)).status;
  }
  EXPECT_EQ(status, 200);
}

TEST_F(Serve, ASaveByRenameIsCompiledAndSentToOpenStreams) {
  ASSERT_TRUE(start()) << err();
  Connection events(port_);
  events.send("GET /events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) + "\r\n\r\n");
  events.read_until([](const std::string& got) { return got.find("\"generation\":1") != std::string::npos; });

  // As editors save: a new file beside the old one, renamed over it.
  spit(s / ".svc.txt.new", kServiceClash);
  fs::rename(s / ".svc.txt.new", s / "svc.txt");
  const std::string pushed = events.read_until(
      [](const std::string& got) { return got.find("\"generation\":2") != std::string::npos; });
  EXPECT_NE(pushed.find("\"generation\":2"), std::string::npos);
  const nlohmann::json j = state();
  EXPECT_TRUE(j["current"]);
  ASSERT_EQ(j["diagnostics"].size(), 1u);
  EXPECT_EQ(j["diagnostics"][0]["code"], 16);
  EXPECT_EQ(j["diagnostics"][0]["position"], 2010);
  EXPECT_EQ(j["diagnostics"][0]["line"], 4);
  // On the terminal as compile prints it.
  fs::create_directory(s / "ref");
  const std::string terminal = s.run({"compile", "line.txt", "svc.txt", "--dir", "ref"}).err;
  EXPECT_NE(terminal.find("svc.txt:4:13: error 16: signal on an occupied cell (at 2010 m)\n"),
            std::string::npos) << terminal;
  for (const auto end = Clock::now() + 2s; err().find(terminal) == std::string::npos && Clock::now() < end;) {
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_NE(err().find(terminal), std::string::npos) << err();
}

TEST_F(Serve, ASaveOfBothFilesAtOnceIsOneCompile) {
  ASSERT_TRUE(start()) << err();
  spit(s / "line.txt", kLine);
  spit(s / "svc.txt", kServiceClash);
  const nlohmann::json j = state_after(1);
  ASSERT_TRUE(j.is_object());
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(state()["generation"], 2);
}

// Sources caught mid-save: each gives its faults, the server goes on, the page
// keeps the picture that compiled last, and the next save mends it.
TEST_F(Serve, ASourceCaughtMidSaveKeepsTheLastPicture) {
  ASSERT_TRUE(start()) << err();
  nlohmann::json good = state();
  ASSERT_TRUE(good["current"]);
  struct Case {
    const char* what;
    std::function<void()> save;
    bool picture;  // whether the look may still give a picture of its own
    bool faults = true;  // whether it must give a fault or a diagnostic
  };
  const Case cases[] = {
      {"empty line description", [&] { spit(s / "line.txt", ""); }, false},
      {"line description cut before its length", [&] { spit(s / "line.txt", kLine.substr(0, 14)); }, false},
      {"service description cut mid-row",
       [&] { spit(s / "svc.txt", kService.substr(0, kService.size() - 30)); }, true},
      {"missing service description", [&] { fs::remove(s / "svc.txt"); }, false},
      {"missing line description", [&] { fs::remove(s / "line.txt"); }, false},
      {"a directory in the service description's place",
       [&] {
         fs::remove(s / "svc.txt");
         fs::create_directory(s / "svc.txt");
       },
       false},
      {"a service description of binary junk",
       [&] { spit(s / "svc.txt", std::string("\0\xff\r\n,,,\xe8\x80", 9)); }, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int before = state()["generation"];
    c.save();
    const nlohmann::json j = state_after(before);
    ASSERT_TRUE(j.is_object()) << "no new state";
    EXPECT_TRUE(running());
    if (c.faults) {
      EXPECT_FALSE(j["faults"].empty() && j["diagnostics"].empty());
    }
    if (!c.picture) {
      EXPECT_FALSE(j["current"]);
      EXPECT_EQ(j["picture"], good["picture"]);
      EXPECT_EQ(j["picture_generation"], good["picture_generation"]);
    }
    EXPECT_EQ(get(port_, "/").status, 200);
    // The next save mends it.
    fs::remove_all(s / "svc.txt");
    spit(s / "line.txt", kLine);
    spit(s / "svc.txt", kService);
    const nlohmann::json mended = state_where([](const nlohmann::json& m) {
      return m["current"].get<bool>() && m["diagnostics"].empty() && m["faults"].empty();
    });
    EXPECT_TRUE(mended["current"]) << mended.dump();
    good = mended;
  }
  const std::string e = err();
  EXPECT_NE(e.find("compactor: svc.txt: no such file"), std::string::npos) << e;
  EXPECT_NE(e.find("compactor: svc.txt: is a directory"), std::string::npos) << e;
  EXPECT_NE(e.find("the page keeps the picture of"), std::string::npos) << e;
}

TEST_F(Serve, WritesTheCompiledFilesAsCompileDoes) {
  fs::create_directory(s / "out");
  fs::create_directory(s / "ref");
  ASSERT_TRUE(start({"--write", "out"})) << err();
  spit(s / "svc.txt", kServiceClash);
  const nlohmann::json j = state_where([](const nlohmann::json& m) { return !m["written"].empty() && m["generation"] == 2; });
  EXPECT_EQ(j["written"].size(), 3u) << j.dump();
  const Result ref = s.run({"compile", "line.txt", "svc.txt", "--dir", "ref"});
  EXPECT_EQ(ref.status, 1);
  for (const char* name : {"Lavena_Codrano2_linea.dat", "Lavena_Codrano2_ES 2718.sim", "Lavena_Codrano2_ES 2718.dat"}) {
    EXPECT_EQ(slurp(s / "out" / name), slurp(s / "ref" / name)) << name;
  }
  // A look that stops before writing leaves the files as they were.
  const std::string track = slurp(s / "out" / "Lavena_Codrano2_ES 2718.dat");
  spit(s / "line.txt", "");
  const nlohmann::json stopped = state_after(2);
  EXPECT_EQ(stopped["written"], nlohmann::json::array());
  EXPECT_EQ(slurp(s / "out" / "Lavena_Codrano2_ES 2718.dat"), track);
}

TEST_F(Serve, PollingFollowsSavesToo) {
  ASSERT_TRUE(start({"--poll"})) << err();
  spit(s / ".svc.txt.new", kServiceClash);
  fs::rename(s / ".svc.txt.new", s / "svc.txt");
  const nlohmann::json j = state_after(1);
  ASSERT_TRUE(j.is_object());
  EXPECT_EQ(j["diagnostics"].size(), 1u);
  EXPECT_NE(err().find("(polling)"), std::string::npos);
}

TEST_F(Serve, InterruptAndTerminateEndItCleanly) {
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    ASSERT_TRUE(start()) << err();
    // With an event stream open.
    Connection events(port_);
    events.send("GET /events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) + "\r\n\r\n");
    events.read_until([](const std::string& got) { return got.find("event: state") != std::string::npos; });
    EXPECT_EQ(end_with(signal), 0) << err();
    EXPECT_NE(err().find("compactor serve: stopped"), std::string::npos);
    ::close(out_);
    out_ = -1;
  }
}

TEST_F(Serve, RefusesAPortInUse) {
  ASSERT_TRUE(start()) << err();
  const Result r = s.run({"serve", "line.txt", "svc.txt", "--port", std::to_string(port_)}, "timeout 5 ");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("cannot listen on 127.0.0.1:" + std::to_string(port_)), std::string::npos) << r.err;
}

TEST_F(Serve, RefusesABadCommandLine) {
  EXPECT_EQ(s.run({"serve", "line.txt"}).status, 64);
  EXPECT_EQ(s.run({"serve", "line.txt", "svc.txt", "--port", "70000"}).status, 64);
  EXPECT_EQ(s.run({"serve", "line.txt", "svc.txt", "--scenario", "a/b"}).status, 64);
  EXPECT_EQ(s.run({"serve", "line.txt", "svc.txt", "-Wno-such-warning"}, "timeout 5 ").status, 64);
}

#ifdef COMPACTOR_SERVE_EXE
// compactor hands serve over to compactor-serve, which it finds beside itself
// (the build) or in ../libexec/compactor/ (installed); the process stays the
// same, so a signal to it still ends the server cleanly.
TEST_F(Serve, HandsOverToItsServeProgramWhereverItIsInstalled) {
  const struct {
    const char* serve_program;  // where compactor-serve sits, from the root
  } cases[] = {{"usr/bin/compactor-serve"}, {"usr/libexec/compactor/compactor-serve"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.serve_program);
    const fs::path root = s / "root";
    fs::remove_all(root);
    fs::create_directories(root / "usr/bin");
    fs::create_directories((root / c.serve_program).parent_path());
    fs::copy_file(COMPACTOR_EXE, root / "usr/bin/compactor");
    fs::copy_file(COMPACTOR_SERVE_EXE, root / c.serve_program);
    ASSERT_TRUE(start({}, (root / "usr/bin/compactor").string())) << err();
    EXPECT_EQ(state()["generation"], 1);
    EXPECT_EQ(end_with(SIGTERM), 0) << err();
    ::close(out_);
    out_ = -1;
  }
}

TEST_F(Serve, WithoutItsServeProgramStopsAndSaysWhereItLooked) {
  fs::create_directories(s / "alone");
  fs::copy_file(COMPACTOR_EXE, s / "alone/compactor");
  const std::string cmd = "cd " + quote(s.dir().string()) + " && alone/compactor serve line.txt svc.txt 2>" +
                          quote((s / ".err").string()) + " </dev/null >/dev/null";
  const int raw = std::system(cmd.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 2);
  const std::string said = slurp(s / ".err");
  EXPECT_NE(said.find("compactor: serve: cannot run compactor-serve: no "), std::string::npos) << said;
  EXPECT_NE(said.find("/alone/compactor-serve nor "), std::string::npos) << said;
  EXPECT_NE(said.find("/libexec/compactor/compactor-serve"), std::string::npos) << said;
}
#endif

}  // namespace
}  // namespace compactor::e2e
