#include "driver/compile_driver.h"

#include <exception>
#include <thread>
#include <utility>

#include "driver/files.h"
#include "driver/platform.h"
#include "model/compiled_files.h"
#include "model/file_names.h"
#include "model/path_watch.h"
#include "pipeline/compile.h"

namespace compactor {
namespace {

void write_file(const Scenario& s, const std::string& dir, const std::string& name,
                void (*writer)(const Scenario&, ByteSink&), std::vector<std::string>& written) {
  replace_file(platform::join(dir, name), [&](ByteSink& out) { writer(s, out); });
  written.push_back(name);
}

void write_table_and_track(const Scenario& s, const std::string& dir,
                           std::vector<std::string>& written) {
  write_file(s, dir, file_names::table_file(s.names), write_table_file, written);
  write_file(s, dir, file_names::track_file(s.names), write_track_file, written);
}

// Writes the path file on a thread of its own while the compile computes the
// path (model/path_watch.h): the serial walk and the writing overlap. The file
// only takes its name once the compile is done and said to write it.
class PathFileFollower {
 public:
  explicit PathFileFollower(const std::string& path) {
    thread_ = std::thread([this, path] {
      try {
        replace_file(path, [this](ByteSink& out) { write_path_file_following(watch_, out); });
        written_ = true;
      } catch (const PathWatch::Abandoned&) {
      } catch (const PathWatch::Lost&) {
      } catch (...) {
        failure_ = std::current_exception();
      }
    });
  }
  // Without finish(): the compile stopped, the file is dropped.
  ~PathFileFollower() { stop(nullptr); }

  PathWatch* watch() { return &watch_; }

  // The compile is done: writes the rest of the file from `final`, or drops
  // it when null. True when the file was written; throws what writing it threw.
  bool finish(const Path* final) {
    stop(final);
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return written_;
  }

 private:
  void stop(const Path* final) {
    if (!thread_.joinable()) return;
    watch_.close(final);
    thread_.join();
  }

  PathWatch watch_;
  std::thread thread_;
  bool written_ = false;
  std::exception_ptr failure_;
};

}  // namespace

CompileRun memorizza_percorso(int32_t j, const Names& names, const Sources& sources,
                              const std::string& dir, const SourceCleanup& cleanup,
                              WarningSink* warnings) {
  std::optional<PathFileFollower> follower;
  if (j != 0) follower.emplace(platform::join(dir, file_names::path_file(names)));
  CompiledScenario compiled;
  {
    const PathWatch::Scope scope(follower ? follower->watch() : nullptr);
    compiled = compile_scenario(j, names, sources, nullptr, warnings);
  }
  // Nothing was written yet: the built-in run deletes what the compiler read.
  if (cleanup) cleanup(compiled.report);
  CompileRun run;
  run.scenario = std::move(compiled.scenario);
  run.report = compiled.report;
  run.fatal = std::move(compiled.fatal);
  run.fatal_number = compiled.fatal_number;
  if (run.fatal) return run;
  if (follower) {
    const std::string name = file_names::path_file(run.scenario.names);
    if (follower->finish(&run.scenario.path)) {
      run.written.push_back(name);
    } else {
      write_file(run.scenario, dir, name, write_path_file, run.written);
    }
  }
  write_table_and_track(run.scenario, dir, run.written);
  return run;
}

void write_compiled_files(const Scenario& s, const std::string& dir,
                          std::vector<std::string>& written) {
  if (s.keep_path != 0) write_file(s, dir, file_names::path_file(s.names), write_path_file, written);
  write_table_and_track(s, dir, written);
}

}  // namespace compactor
