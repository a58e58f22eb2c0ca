// Writing the path file while the path is computed gives the bytes of writing
// it afterwards.
#include "model/path_watch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "model/compiled_files.h"

namespace compactor {
namespace {

// A path of `end` + 1 points, computed up to `next` - 1, as the compiler
// leaves it: the origin's integers, then reals.
Scenario computed_path(int32_t end, int32_t next) {
  Scenario s;
  s.path.end = end;
  s.path.next = next;
  s.path.origin_set = true;
  s.path.allocated = true;
  s.path.x.assign(static_cast<size_t>(end) + 1, 0.0);
  s.path.y.assign(static_cast<size_t>(end) + 1, 0.0);
  s.path.y[1] = 1.0;
  for (int32_t i = 2; i < next; ++i) {
    s.path.x[static_cast<size_t>(i)] = i * 0.25 - 1e-9 * i * i;
    s.path.y[static_cast<size_t>(i)] = 1.0 + i * 0.5;
  }
  return s;
}

// Publishes the points of `s` in steps of `step` on this thread, as the
// compiler would, while another thread writes; answers what it wrote.
std::string follow(const Scenario& s, int32_t step, const Path* final) {
  PathWatch watch;
  StringSink out;
  bool abandoned = false;
  std::thread writer([&] {
    try {
      write_path_file_following(watch, out);
    } catch (const PathWatch::Abandoned&) {
      abandoned = true;
    }
  });
  for (int64_t n = 2 + step; n < s.path.next; n += step) {
    watch.publish(s.path.x.data(), s.path.y.data(), n);
  }
  if (s.path.next > 2) watch.publish(s.path.x.data(), s.path.y.data(), s.path.next);
  watch.close(final);
  writer.join();
  return abandoned ? "abandoned" : out.bytes;
}

TEST(PathWatchTest, FollowingTheComputeGivesTheBytesOfWritingAfterIt) {
  // Steps smaller and larger than a write's worth of points, a path computed
  // to its end and one stopped short of it, one never computed.
  const struct { int32_t end, next, step; } cases[] = {
      {10, 7, 1}, {7000, 7001, 3}, {100000, 100001, 997}, {100000, 61234, 20000},
      {250000, 250001, 250000}, {8000, 2, 1}};
  for (const auto& c : cases) {
    const Scenario s = computed_path(c.end, c.next);
    StringSink after;
    write_path_file(s, after);
    EXPECT_EQ(follow(s, c.step, &s.path), after.bytes) << c.end << " " << c.next << " " << c.step;
  }
}

TEST(PathWatchTest, ClosingWithNoPathAbandonsTheFile) {
  const Scenario s = computed_path(20000, 15000);
  EXPECT_EQ(follow(s, 100, nullptr), "abandoned");
}

// A sink that says when the writer has handed over its first bytes.
class SignallingSink : public ByteSink {
 public:
  void write(const char*, size_t) override {
    wrote.store(true);
    wrote.notify_all();
  }
  std::atomic<bool> wrote{false};
};

TEST(PathWatchTest, APathThatDoesNotContinueWhatWasPublishedIsLost) {
  const Scenario s = computed_path(20000, 15000);
  const Scenario other = computed_path(20000, 15000);  // other arrays
  PathWatch watch;
  SignallingSink out;
  std::thread writer([&] {
    EXPECT_THROW(write_path_file_following(watch, out), PathWatch::Lost);
  });
  watch.publish(s.path.x.data(), s.path.y.data(), 14000);
  out.wrote.wait(false);  // the writer took the published points
  watch.close(&other.path);
  writer.join();
}

TEST(PathWatchTest, TheCompilerPublishesToTheWatchOfItsScopeOnly) {
  EXPECT_EQ(PathWatch::current(), nullptr);
  PathWatch outer, inner;
  {
    const PathWatch::Scope a(&outer);
    EXPECT_EQ(PathWatch::current(), &outer);
    {
      const PathWatch::Scope b(&inner);
      EXPECT_EQ(PathWatch::current(), &inner);
    }
    EXPECT_EQ(PathWatch::current(), &outer);
    std::thread([] { EXPECT_EQ(PathWatch::current(), nullptr); }).join();
  }
  EXPECT_EQ(PathWatch::current(), nullptr);
}

}  // namespace
}  // namespace compactor
