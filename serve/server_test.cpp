#include "serve/server.h"

#include <gtest/gtest.h>

namespace compactor::serve {
namespace {

TEST(HostAllowed, OnlyTheLoopbackNamesWithTheServersOwnPort) {
  struct Case {
    const char* host;
    bool allowed;
  };
  const Case cases[] = {
      {"127.0.0.1:8470", true},
      {"localhost:8470", true},
      {"LocalHost:8470", true},
      {"[::1]:8470", true},
      {"127.0.0.1", false},          // no port: not what a browser sends for this server
      {"127.0.0.1:8471", false},     // another port
      {"127.0.0.1:84700", false},
      {"localhost.:8470", false},
      {"evil.example:8470", false},  // a rebound name
      {"localhost.evil.example:8470", false},
      {"127.0.0.2:8470", false},
      {"0.0.0.0:8470", false},
      {"[::ffff:127.0.0.1]:8470", false},
      {"", false},
      {" localhost:8470", false},
      {"localhost:8470 ", false},
  };
  for (const Case& c : cases) EXPECT_EQ(host_allowed(c.host, 8470), c.allowed) << c.host;
}

}  // namespace
}  // namespace compactor::serve
