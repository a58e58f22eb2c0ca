// The threaded JSON of a path: the same bytes as the one-thread writer and as
// the values written one by one, whatever the threads, the chunks and the
// points listed.
#include "driver/path_json_writer.h"

#include <cmath>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

namespace compactor {
namespace {

// A path of `end + 1` points whose reals are random bit patterns (with
// nan, infinities, subnormals and zeros among them), computed up to `next`.
Path random_path(int32_t end, int32_t next, bool origin_set, uint64_t seed) {
  Path p;
  p.end = end;
  p.next = next;
  p.allocated = true;
  p.origin_set = origin_set;
  p.x.assign(static_cast<size_t>(end) + 1, 0.0);
  p.y.assign(static_cast<size_t>(end) + 1, 0.0);
  p.y[1] = 1.0;
  std::mt19937_64 bits(seed);
  const double specials[] = {0.0, -0.0, NAN, INFINITY, -INFINITY, 5e-324, 2.2250738585072014e-308,
                             1.7976931348623157e308, 1e15, 1e16, 1e21, 1e22, 1e-5, 1e-7, 0.1, 123456.789};
  for (size_t i = 2; i < p.x.size(); ++i) {
    for (PathValues* v : {&p.x, &p.y}) {
      const uint64_t b = bits();
      double d;
      if (b % 7 == 0) {
        d = specials[(b >> 8) % std::size(specials)];
      } else if (b % 7 == 1) {
        d = static_cast<double>(static_cast<int64_t>(b >> 20) % 2000000) / 1024.0;  // path-like
      } else {
        std::memcpy(&d, &b, sizeof d);
      }
      (*v)[i] = d;
    }
  }
  return p;
}

// The JSON built value by value.
std::string expected(const std::string& file, const Path& p, std::optional<inspect::PointRange> range) {
  const int64_t first = range ? std::max<int64_t>(range->first, 0) : 0;
  const int64_t last = range ? std::min<int64_t>(range->last, p.end) : p.end;
  std::string s = "{\"file\": \"" + file + "\", \"type\": \"path\", \"points\": " + std::to_string(p.end + 1) +
                  ", \"from\": " + std::to_string(first) + ", \"x\": [";
  for (const PathValues* v : {&p.x, &p.y}) {
    if (v == &p.y) s += "], \"y\": [";
    for (int64_t i = first; i <= last; ++i) {
      if (i > first) s += ", ";
      const double d = (*v)[static_cast<size_t>(i)];
      if (i < 2) s += p.origin_set ? std::to_string(static_cast<int>(d)) : "null";
      else if (i >= p.next || !std::isfinite(d)) s += "null";
      else s += inspect::shortest(d);
    }
  }
  return s + "]}";
}

std::string threaded(const Path& p, std::optional<inspect::PointRange> range, unsigned threads) {
  StringSink out;
  write_path_json_threaded("p.dat", p, range, out, threads);
  return out.bytes;
}

TEST(PathJsonThreaded, TheSameBytesAsOneValueAtATime) {
  struct Case {
    int32_t end, next;
    bool origin_set;
    std::optional<inspect::PointRange> range;
  };
  const Case cases[] = {
      {100, 99, true, std::nullopt},                   // short: one thread
      {65534, 65533, true, std::nullopt},              // 65535 points: one thread
      {65535, 65534, true, std::nullopt},              // 65536 points: the first threaded length
      {8192 * 9 - 1, 8192 * 9 - 2, true, std::nullopt},  // whole chunks
      {8192 * 9, 8192 * 5 + 17, false, std::nullopt},  // computed up to the middle of a chunk
      {200000, 199999, true, inspect::PointRange{0, 1}},
      {200000, 199999, true, inspect::PointRange{1, 130000}},
      {200000, 199999, true, inspect::PointRange{5, 900000}},  // past the end
      {200000, 199999, true, inspect::PointRange{300000, 400000}},  // no point
  };
  uint64_t seed = 1;
  for (const Case& c : cases) {
    const Path p = random_path(c.end, c.next, c.origin_set, seed++);
    const std::string want = expected("p.dat", p, c.range);
    StringSink one;
    inspect::write_path_json("p.dat", p, c.range, one);
    EXPECT_EQ(one.bytes, want) << c.end;
    for (unsigned threads : {1u, 2u, 3u, 4u}) {
      EXPECT_EQ(threaded(p, c.range, threads), want) << c.end << " points, " << threads << " threads";
    }
  }
}

// A sink that fails part way: the error reaches the caller, and no thread is
// left behind (the test would hang or abort).
TEST(PathJsonThreaded, AFailingSinkStopsTheThreads) {
  struct Failing : ByteSink {
    size_t left = 3;
    void write(const char*, size_t) override {
      if (left-- == 0) throw std::runtime_error("disk full");
    }
  };
  const Path p = random_path(300000, 299999, true, 7);
  for (unsigned threads : {2u, 4u}) {
    Failing out;
    EXPECT_THROW(write_path_json_threaded("p.dat", p, std::nullopt, out, threads), std::runtime_error);
  }
}

}  // namespace
}  // namespace compactor
