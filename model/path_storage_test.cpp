#include "model/path_storage.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace compactor {
namespace {

// New values read 0.0 without being written, also in storage that held a
// path before: the sizes of the built-in line's and the longest line's path,
// and a small one.
TEST(PathStorage, NewValuesReadZeroAfterAnEarlierPathWasFreed) {
  for (const size_t n : {size_t{3}, size_t{1000}, size_t{242001}, size_t{1007001}}) {
    SCOPED_TRACE(n);
    for (int round = 0; round < 3; ++round) {
      PathValues v(n);
      ASSERT_EQ(v.size(), n);
      EXPECT_TRUE(std::all_of(v.begin(), v.end(), [](double d) { return d == 0.0; }));
      std::fill(v.begin(), v.end(), 1.5);  // dirty it for the next round
      PathValues grown;
      grown.resize(n);
      EXPECT_TRUE(std::all_of(grown.begin(), grown.end(), [](double d) { return d == 0.0; }));
      std::fill(grown.begin(), grown.end(), -2.0);
    }
  }
}

TEST(PathStorage, GivenValuesAreKept) {
  PathValues v(5, 7.25);
  v.push_back(1.0);
  EXPECT_EQ(v, (PathValues{7.25, 7.25, 7.25, 7.25, 7.25, 1.0}));
}

}  // namespace
}  // namespace compactor
