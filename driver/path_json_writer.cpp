#include "driver/path_json_writer.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace compactor {
namespace {

// Points of one chunk: its text (at most 256 KiB) stays in the cache.
constexpr int64_t kChunkPoints = 8192;
constexpr size_t kChunkBytes = size_t{kChunkPoints} * inspect::kLongestPathValue;

// Below this many points listed the path is written on one thread.
constexpr int64_t kThreadedPoints = 1 << 16;

// One run of points of one coordinate.
struct Chunk {
  const PathValues* values;
  int64_t from, to;
  bool starts_y;  // the first chunk of the y values: kPathJsonBetween comes before it
};

// Text a helper thread formatted, waiting to be written.
struct Slot {
  std::unique_ptr<char[]> text{new char[kChunkBytes]};
  size_t size = 0;
  bool full = false;
};

// A helper thread formats chunks k, k + n, k + 2n, ... (n threads in all)
// into its two slots in turn; the writing thread empties them in order.
class Helper {
 public:
  void run(const Path& p, int64_t first, const std::vector<Chunk>& chunks, size_t k, size_t n) {
    for (size_t i = k, turn = 0; i < chunks.size(); i += n, turn ^= 1) {
      Slot& s = slots_[turn];
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return !s.full || stop_; });
        if (stop_) return;
      }
      const Chunk& c = chunks[i];
      const size_t size = inspect::format_path_values(p, *c.values, first, c.from, c.to, s.text.get());
      {
        std::lock_guard<std::mutex> lock(mutex_);
        s.size = size;
        s.full = true;
      }
      changed_.notify_all();
    }
  }
  // Hands the text of the helper's chunk of this turn to `out`, then frees its slot.
  void write(unsigned turn, ByteSink& out) {
    Slot& s = slots_[turn];
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return s.full; });
    }
    out.write(s.text.get(), s.size);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      s.full = false;
    }
    changed_.notify_all();
  }
  void stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  Slot slots_[2];
  bool stop_ = false;
};

}  // namespace

unsigned path_json_threads() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

void write_path_json_threaded(const std::string& file, const Path& p, std::optional<inspect::PointRange> range,
                              ByteSink& out, unsigned threads) {
  const inspect::PointRange points = inspect::path_json_points(p, range);
  if (threads < 2 || points.last - points.first + 1 < kThreadedPoints) {
    inspect::write_path_json(file, p, range, out);
    return;
  }
  std::vector<Chunk> chunks;
  for (const PathValues* v : {&p.x, &p.y}) {
    for (int64_t from = points.first; from <= points.last; from += kChunkPoints) {
      chunks.push_back({v, from, std::min(from + kChunkPoints, points.last + 1),
                        v == &p.y && from == points.first});
    }
  }
  const std::string head = inspect::path_json_head(file, p, points);
  out.write(head.data(), head.size());

  // Chunk i is this thread's when i % threads is 0, else helper i % threads - 1's.
  std::vector<Helper> helpers(threads - 1);
  std::vector<std::thread> running;
  running.reserve(helpers.size());
  for (size_t h = 0; h < helpers.size(); ++h) {
    running.emplace_back([&, h] { helpers[h].run(p, points.first, chunks, h + 1, threads); });
  }
  const auto stop_all = [&] {
    for (Helper& h : helpers) h.stop();
    for (std::thread& t : running) t.join();
  };
  try {
    const std::unique_ptr<char[]> own(new char[kChunkBytes]);
    for (size_t i = 0; i < chunks.size(); ++i) {
      const Chunk& c = chunks[i];
      if (c.starts_y) out.write(inspect::kPathJsonBetween.data(), inspect::kPathJsonBetween.size());
      const size_t round = i / threads, who = i % threads;
      if (who == 0) {
        out.write(own.get(), inspect::format_path_values(p, *c.values, points.first, c.from, c.to, own.get()));
      } else {
        helpers[who - 1].write(static_cast<unsigned>(round & 1), out);
      }
    }
  } catch (...) {
    stop_all();
    throw;
  }
  stop_all();
  out.write(inspect::kPathJsonTail.data(), inspect::kPathJsonTail.size());
}

}  // namespace compactor
