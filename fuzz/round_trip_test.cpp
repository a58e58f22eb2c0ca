// The decoder's round trips on every model the kept inputs compile to, the
// built-in run's first, and on the decoder's own corpus.
#include "driver/files.h"
#include "fuzz/round_trip.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "fuzz/fuzz_input.h"
#include "model/decoder.h"
#include "model/file_names.h"
#include "pipeline/compile.h"
#include "sources/exported_source.h"
#include "sources/line_description.h"
#include "sources/service_description.h"

namespace compactor::fuzz {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& p) { return read_file(p.string()); }

std::vector<fs::path> inputs(const std::string& folder) {
  std::vector<fs::path> out;
  for (const auto& entry : fs::directory_iterator(fs::path(COMPACTOR_FUZZ_DIR) / folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.front() != '.' && name != "README") out.push_back(entry.path());
  }
  return out;
}

TEST(DecodeRoundTrip, TheBuiltInRunsModel) {
  const Names names;
  Sources sources;
  sources.line = SourceText{file_names::line_source(names),
                            testing::exported_bytes(dati_linea, file_names::line_source(names))};
  sources.service = SourceText{file_names::service_source(names),
                               testing::exported_bytes(dati_treno, file_names::service_source(names))};
  const CompiledScenario run = compile_scenario(1, names, sources);
  ASSERT_FALSE(run.fatal);
  ASSERT_EQ(run.scenario.path.end, 248000);
  for (const std::string& b : model_round_trip(run.scenario)) ADD_FAILURE() << b;
}

TEST(DecodeRoundTrip, TheModelOfEveryKeptInput) {
  int compiled = 0;
  for (const std::string folder : {"seeds", "regression"}) {
    for (const fs::path& p : inputs(folder)) {
      const FuzzInput in = split_input(contents(p));
      const CompiledScenario run = compile_scenario(in.keep_path ? 1 : 0, Names{}, in.sources);
      if (run.fatal) continue;  // no file would be written
      for (const std::string& b : model_round_trip(run.scenario)) ADD_FAILURE() << p.filename() << ": " << b;
      ++compiled;
    }
  }
  EXPECT_GT(compiled, 10);
}

// The decoder's corpus holds real compiled files, each named by its kind.
TEST(DecodeRoundTrip, TheDecodersCorpus) {
  int files = 0;
  for (const fs::path& p : inputs("decode_seeds")) {
    const std::string bytes = contents(p);
    const std::string name = p.filename().string();
    const bool decodes = name.starts_with("track") ? decode_track_file(bytes).ok()
                         : name.starts_with("table") ? decode_table_file(bytes).ok()
                         : name.starts_with("path") ? decode_path_file(bytes).ok()
                                                    : false;
    EXPECT_TRUE(decodes) << name;
    for (const std::string& b : decode_round_trip(bytes)) ADD_FAILURE() << name << ": " << b;
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace compactor::fuzz
