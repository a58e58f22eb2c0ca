#include "driver/path_json_writer.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "model/path_storage.h"

namespace compactor {
namespace {

// Points of one chunk: its text (at most 128 KiB) stays in the cache.
constexpr int64_t kChunkPoints = 4096;
constexpr size_t kChunkBytes = size_t{kChunkPoints} * inspect::kLongestPathValue;
// Chunks formatted and not yet written, at most: 2 MiB of text, one huge page.
constexpr size_t kRing = 16;

// Below this many points listed the path is written on one thread.
constexpr int64_t kThreadedPoints = 1 << 16;

// One run of points of one coordinate.
struct Chunk {
  const PathValues* values;
  int64_t from, to;
  bool starts_y;  // the first chunk of the y values: kPathJsonBetween comes before it
};

// Chunks in flight. Every thread takes the next chunk not yet taken and
// formats it into its slot of the ring (chunk i into slot i % kRing, once
// chunk i - kRing is written); the writing thread writes them in order and
// formats chunks itself whenever the next one to write is not ready, so a
// thread the machine has no core for holds up at most the chunk it took.
class Ring {
 public:
  Ring(const Path& p, int64_t first, const std::vector<Chunk>& chunks)
      : p_(p), first_(first), chunks_(chunks),
        text_(static_cast<char*>(allocate_path_storage(kRing * kChunkBytes))) {}
  ~Ring() { free_path_storage(text_, kRing * kChunkBytes); }
  Ring(const Ring&) = delete;
  Ring& operator=(const Ring&) = delete;

  // A helper thread: formats chunks until none is left or the writer stops.
  void help() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return stop_ || taken_ == chunks_.size() || can_take(); });
      if (stop_ || taken_ == chunks_.size()) return;
      format_next(lock);
      changed_.notify_all();
    }
  }

  // The writing thread: every chunk to `out`, in order.
  void write_all(ByteSink& out) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (written_ < chunks_.size()) {
      const size_t slot = written_ % kRing;
      if (size_[slot] != kEmpty) {
        const size_t size = size_[slot];
        lock.unlock();  // no thread touches this slot before written_ moves on
        if (chunks_[written_].starts_y) out.write(inspect::kPathJsonBetween.data(), inspect::kPathJsonBetween.size());
        out.write(text_ + slot * kChunkBytes, size);
        lock.lock();
        size_[slot] = kEmpty;
        ++written_;
        changed_.notify_all();
      } else if (can_take()) {
        format_next(lock);
      } else {
        changed_.wait(lock, [&] { return size_[slot] != kEmpty || can_take(); });
      }
    }
  }

  void stop() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
  }

 private:
  static constexpr size_t kEmpty = SIZE_MAX;

  bool can_take() const { return taken_ < chunks_.size() && taken_ < written_ + kRing; }

  // Takes the next chunk and formats it with the lock released.
  void format_next(std::unique_lock<std::mutex>& lock) {
    const size_t i = taken_++;
    lock.unlock();
    const Chunk& c = chunks_[i];
    char* const text = text_ + (i % kRing) * kChunkBytes;
    const size_t size = inspect::format_path_values(p_, *c.values, first_, c.from, c.to, text);
    lock.lock();
    size_[i % kRing] = size;
  }

  const Path& p_;
  const int64_t first_;
  const std::vector<Chunk>& chunks_;
  char* const text_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t size_[kRing] = {kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty,
                         kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty};
  size_t taken_ = 0;    // chunks taken by a thread
  size_t written_ = 0;  // chunks written
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

  Ring ring(p, points.first, chunks);
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  for (unsigned h = 1; h < threads; ++h) helpers.emplace_back([&ring] { ring.help(); });
  const auto join_all = [&] {
    ring.stop();
    for (std::thread& t : helpers) t.join();
  };
  try {
    ring.write_all(out);
  } catch (...) {
    join_all();
    throw;
  }
  join_all();
  out.write(inspect::kPathJsonTail.data(), inspect::kPathJsonTail.size());
}

}  // namespace compactor
