// Replays every kept fuzz input (the regression corpus of inputs that once
// crashed or hung, and the seed corpus) through the fuzz target's checks.
#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "driver/files.h"
#include "fuzz/fuzz_input.h"

namespace compactor::fuzz {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& p) { return read_file(p.string()); }

void replay(const std::string& folder) {
  const fs::path dir = fs::path(COMPACTOR_FUZZ_DIR) / folder;
  ASSERT_TRUE(fs::is_directory(dir)) << dir;
  int replayed = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name.front() == '.' || name == "README") continue;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> broken = compile_and_check(contents(entry.path()));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const std::string& b : broken) ADD_FAILURE() << entry.path().filename() << ": " << b;
    // An input that once hung must now finish quickly, even under sanitizers.
    EXPECT_LT(seconds, 20.0) << entry.path().filename();
    ++replayed;
  }
  EXPECT_GT(replayed, 0) << "no input in " << dir;
}

TEST(FuzzCorpus, RegressionInputsKeepEveryInvariant) { replay("regression"); }
TEST(FuzzCorpus, SeedInputsKeepEveryInvariant) { replay("seeds"); }

TEST(FuzzInput, SplitsAtTheSeparatorLine) {
  const FuzzInput in = split_input("[generale]\r\nlunghezza percorso, 1000\r\n====\n[generale]\r\n");
  EXPECT_EQ(in.sources.line->text, "[generale]\r\nlunghezza percorso, 1000\r\n");
  EXPECT_EQ(in.sources.service->text, "[generale]\r\n");
  EXPECT_TRUE(in.keep_path);
  const FuzzInput bare = split_input("no separator");
  EXPECT_EQ(bare.sources.line->text, "no separator");
  EXPECT_EQ(bare.sources.service->text, "");
  EXPECT_TRUE(bare.keep_path);
  const FuzzInput no_path = split_input("a\n==== --no-path\nb\n====\nc");
  EXPECT_FALSE(no_path.keep_path);
  EXPECT_EQ(no_path.sources.line->text, "a\n");
  EXPECT_EQ(no_path.sources.service->text, "b\n====\nc");
  EXPECT_EQ(join_input("a\r\n", "b"), "a\r\n====\nb");
  EXPECT_EQ(join_input("a", "b", false), "a\n==== --no-path\nb");
}

}  // namespace
}  // namespace compactor::fuzz
