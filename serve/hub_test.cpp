#include "serve/hub.h"

#include <gtest/gtest.h>

#include <thread>

namespace compactor::serve {
namespace {

using namespace std::chrono_literals;

TEST(Hub, AStreamGetsTheCurrentStateThenOnlyNewerOnes) {
  Hub hub(2);
  hub.publish("one", "page one");
  uint64_t seen = 0;
  EXPECT_EQ(hub.wait_newer(seen, 0ms), "one");
  EXPECT_EQ(seen, 1u);
  EXPECT_EQ(hub.wait_newer(seen, 10ms), std::nullopt);
  std::thread later([&] {
    std::this_thread::sleep_for(20ms);
    hub.publish("two", "page two");
  });
  EXPECT_EQ(hub.wait_newer(seen, 5s), "two");
  later.join();
  EXPECT_EQ(hub.page(), "page two");
}

TEST(Hub, StopWakesEveryWaiterAndRefusesNewStreams) {
  Hub hub(4);
  hub.publish("one", "");
  uint64_t seen = 1;
  ASSERT_TRUE(hub.open_stream());
  std::thread stopper([&] {
    std::this_thread::sleep_for(20ms);
    hub.stop();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(hub.wait_newer(seen, 10s), std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  stopper.join();
  EXPECT_FALSE(hub.open_stream());
}

TEST(Hub, BoundsTheOpenStreams) {
  Hub hub(2);
  EXPECT_TRUE(hub.open_stream());
  EXPECT_TRUE(hub.open_stream());
  EXPECT_FALSE(hub.open_stream());
  hub.close_stream();
  EXPECT_TRUE(hub.open_stream());
  EXPECT_EQ(hub.open_streams(), 2);
}

}  // namespace
}  // namespace compactor::serve
