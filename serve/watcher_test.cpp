#include "serve/watcher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "driver/scratch_dir.h"

namespace compactor::serve {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void spit(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << text;
}

// Each way an editor saves, under each way of watching.
class WatcherTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    dir_ = compactor::testing::scratch_dir("watcher");
    spit(dir_ / "line.txt", "one");
    spit(dir_ / "other.txt", "one");
    watcher_ = make_watcher({(dir_ / "line.txt").string()}, GetParam());
    // Nothing happened yet.
    EXPECT_FALSE(watcher_->wait(150ms));
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
  std::unique_ptr<Watcher> watcher_;
};

TEST_P(WatcherTest, SeesAWriteInPlace) {
  spit(dir_ / "line.txt", "two");
  EXPECT_TRUE(watcher_->wait(2s));
}

TEST_P(WatcherTest, SeesANewFileRenamedOverTheOld) {
  spit(dir_ / ".line.txt.swp", "three");
  fs::rename(dir_ / ".line.txt.swp", dir_ / "line.txt");
  EXPECT_TRUE(watcher_->wait(2s));
}

TEST_P(WatcherTest, SeesTheFileVanishAndComeBack) {
  fs::remove(dir_ / "line.txt");
  EXPECT_TRUE(watcher_->wait(2s));
  while (watcher_->wait(150ms)) {
  }
  spit(dir_ / "line.txt", "four");
  EXPECT_TRUE(watcher_->wait(2s));
}

TEST_P(WatcherTest, IgnoresOtherFilesOfTheDirectory) {
  spit(dir_ / "other.txt", "two");
  EXPECT_FALSE(watcher_->wait(300ms));
}

TEST_P(WatcherTest, StopEndsAWait) {
  std::thread stopper([&] {
    std::this_thread::sleep_for(50ms);
    watcher_->stop();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(watcher_->wait(10s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  stopper.join();
}

INSTANTIATE_TEST_SUITE_P(Watching, WatcherTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Polling" : "Notified"; });

TEST(Watcher, NotifiesOnLinuxAndPollsWhenAsked) {
  const auto dir = compactor::testing::scratch_dir("watcher_method");
#ifdef __linux__
  EXPECT_EQ(make_watcher({(dir / "a").string()}, false)->method(), "inotify");
#endif
  EXPECT_EQ(make_watcher({(dir / "a").string()}, true)->method(), "polling");
  // A directory that does not exist cannot be notified about: polling.
  EXPECT_EQ(make_watcher({(dir / "no" / "a").string()}, false)->method(), "polling");
  fs::remove_all(dir);
}

TEST(PathParts, CutAtTheLastSeparator) {
  EXPECT_EQ(directory_of("line.txt"), ".");
  EXPECT_EQ(name_of("line.txt"), "line.txt");
  EXPECT_EQ(directory_of("a/b/line.txt"), "a/b");
  EXPECT_EQ(name_of("a/b/line.txt"), "line.txt");
  EXPECT_EQ(directory_of("/line.txt"), "/");
}

}  // namespace
}  // namespace compactor::serve
