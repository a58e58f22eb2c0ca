#include "serve/serve.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "compiler/origins.h"
#include "driver/compile_driver.h"
#include "driver/files.h"
#include "pipeline/compile.h"
#include "serve/hub.h"
#include "serve/picture.h"
#include "serve/preview.h"
#include "serve/server.h"
#include "serve/stop_request.h"
#include "serve/watcher.h"

namespace compactor::serve {
namespace {

// A save comes as several events (truncate, writes, close, rename): the
// compile waits until the files have been quiet this long, or at most
// kLongestWait after the first event of a burst.
constexpr std::chrono::milliseconds kQuiet{50};
constexpr std::chrono::milliseconds kLongestWait{500};

// The title that fatal errors of the compiled model are shown under.
constexpr const char* kTitle = "Lavena_Codrano2_ES 2718";

std::string clock_text() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  const int ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
  return text;
}

// Reads both sources and compiles them; writes the compiled files when asked.
Look look_at_sources(const ServeOptions& o) {
  Look look;
  look.time = clock_text();
  look.line_source = o.line_source;
  look.service_source = o.service_source;
  Sources sources;
  auto read = [&](const std::string& path, std::optional<SourceText>& into) {
    try {
      into = SourceText{path, read_file(path)};
    } catch (const FileError& e) {
      look.faults.push_back(std::string("compactor: ") + e.what());
    }
  };
  read(o.line_source, sources.line);
  read(o.service_source, sources.service);
  // A source that cannot be read now is mostly one caught mid-save: the next
  // change compiles it.
  if (!look.faults.empty()) return look;

  Origins origins;
  WarningSink warnings;
  warnings.enabled = o.warnings.enabled;
  const CompiledScenario compiled = compile_scenario(1, o.names, sources, &origins, &warnings);
  look.diagnostics = compiled.diagnostics;
  look.warnings = warnings.list;
  if (compiled.fatal) {
    if (compiled.fatal_number) {
      look.faults.push_back(std::string(kTitle) + ":  Errore n. " + std::to_string(*compiled.fatal_number));
    } else {
      look.faults.push_back("compactor: no compiled file written: " + *compiled.fatal);
    }
    return look;
  }
  look.picture = picture_parts(compiled, origins, look.warnings);
  if (o.write_dir) {
    try {
      write_compiled_files(compiled.scenario, *o.write_dir, look.written);
    } catch (const FileError& e) {
      look.faults.push_back(std::string("compactor: ") + e.what());
    }
  }
  return look;
}

void print_look(const Look& look, const nlohmann::json& state, const ServeOptions& o) {
  std::string head = "compactor serve: " + look.time + ": ";
  const size_t n = look.diagnostics.size();
  if (look.picture) {
    const size_t w = look.warnings.size();
    head += "compiled, " + std::to_string(n) + (n == 1 ? " fault" : " faults") + ", " +
            std::to_string(w) + (w == 1 ? " warning" : " warnings");
    if (!look.written.empty()) head += ", files written to " + *o.write_dir;
  } else if (state["picture"].is_null()) {
    head += "did not compile";
  } else {
    head += "did not compile; the page keeps the picture of " +
            state["picture_time"].get<std::string>();
  }
  const std::string text = head + "\n" + terminal_text(look);
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

int run_serve(const ServeOptions& o) {
  catch_stop_requests();

  Hub hub(kMaxStreams);
  Server server(hub);
  const int port = server.bind(o.port);
  if (port < 0) {
    std::fprintf(stderr, "compactor: cannot listen on 127.0.0.1:%d\n", o.port);
    return 2;
  }
  std::unique_ptr<Watcher> watcher = make_watcher({o.line_source, o.service_source}, o.polling);

  Preview preview;
  auto publish = [&] {
    const Look look = look_at_sources(o);
    const nlohmann::json state = preview.next(look);
    print_look(look, state, o);
    hub.publish(state.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                preview_page(state));
  };
  publish();

  std::printf("http://127.0.0.1:%d/\n", port);
  std::fflush(stdout);
  std::fprintf(stderr, "compactor serve: watching %s and %s (%s); Ctrl-C ends\n",
               o.line_source.c_str(), o.service_source.c_str(), watcher->method().c_str());
  std::fflush(stderr);

  std::atomic<bool> stopping{false};
  std::atomic<bool> serving_ended{false};
  std::thread serving([&] {
    server.run();
    serving_ended = true;
  });
  std::thread compiling([&] {
    while (!stopping) {
      if (!watcher->wait(std::chrono::seconds(1))) continue;
      const auto first = std::chrono::steady_clock::now();
      while (watcher->wait(kQuiet) && std::chrono::steady_clock::now() - first < kLongestWait) {
      }
      if (stopping) break;
      publish();
    }
  });

  while (!wait_stop_request(std::chrono::milliseconds(200)) && !serving_ended) {
  }
  const bool failed = serving_ended;
  stopping = true;
  watcher->stop();
  hub.stop();
  compiling.join();
  while (!serving_ended) {
    server.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  serving.join();
  stopped();
  if (failed) {
    std::fputs("compactor: the server stopped serving\n", stderr);
    return 2;
  }
  std::fputs("compactor serve: stopped\n", stderr);
  return 0;
}

}  // namespace compactor::serve
