#include "model/compiled_files.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#include "model/coding.h"

namespace compactor {
namespace {

using namespace coding;

// Collects small records into a large chunk before handing it to the sink, so
// a file of millions of records costs a few hundred writes. Chunks go out whole
// (a record may straddle two). A chunk of 64 KiB stays in the core's cache
// while the kernel copies it into the page cache, so the next chunk's stores
// hit the cache; a chunk of 256 KiB was pushed out by that copy, and filling
// it again cost more than the fewer writes saved. It also comes from the heap
// rather than a fresh mapping of its own for every file.
class ChunkWriter {
 public:
  static constexpr size_t kChunk = size_t{64} << 10;
  static constexpr size_t kLongestRecord = 32;

  explicit ChunkWriter(ByteSink& out) : out_(out), buffer_(new char[kChunk + kLongestRecord]) {}

  // Room for a record of at most kLongestRecord bytes; call commit() with its end.
  char* reserve() { return buffer_.get() + used_; }
  void commit(char* end) {
    used_ = static_cast<size_t>(end - buffer_.get());
    if (used_ >= kChunk) emit_chunk();
  }
  // Room for up to `count` records of `size` bytes each, written back to back
  // from reserve(); the answer is at least 1.
  size_t room_for(size_t count, size_t size) const {
    const size_t fit = (kChunk - used_ + size - 1) / size;
    return count < fit ? count : fit;
  }
  void append(const char* data, size_t size) {
    while (size > 0) {
      const size_t n = std::min(size, kChunk - used_);
      std::memcpy(buffer_.get() + used_, data, n);
      data += n;
      size -= n;
      commit(buffer_.get() + used_ + n);
    }
  }
  void flush() {
    if (used_ > 0) out_.write(buffer_.get(), used_);
    used_ = 0;
  }

 private:
  // Hands over the full chunk and keeps what ran past it.
  void emit_chunk() {
    out_.write(buffer_.get(), kChunk);
    used_ -= kChunk;
    std::memcpy(buffer_.get(), buffer_.get() + kChunk, used_);
  }

  ByteSink& out_;
  std::unique_ptr<char[]> buffer_;  // kChunk and room for one record past it
  size_t used_ = 0;
};

enum Tag : uint16_t { kEmpty = 0, kInt16 = 2, kReal = 5 };

void write_coordinate(const Path& path, const PathValues& values, int16_t second,
                      ChunkWriter& w) {
  const int64_t end = path.end;
  const int64_t computed = std::min<int64_t>(path.next, end + 1);  // points 2 to computed - 1
  int64_t i = 0;
  for (; i < 2 && i <= end; ++i) {
    char* p = w.reserve();
    if (path.origin_set) {
      p = put_u16(p, kInt16);
      p = put_i16(p, i == 0 ? 0 : second);
    } else {
      p = put_u16(p, kEmpty);
    }
    w.commit(p);
  }
  // The computed points, the bulk of the file: as many as fit in a loop that
  // does nothing else.
  while (i < computed) {
    const size_t n = w.room_for(static_cast<size_t>(computed - i), 10);
    char* p = w.reserve();
    const double* v = values.data() + i;
    size_t k = 0;
    if constexpr (std::endian::native == std::endian::little) {
      // Four records, 40 bytes, in five 8-byte stores rather than eight
      // stores of 2 and 8 bytes: the loop is bound by its stores.
      constexpr uint64_t t = kReal;
      for (; k + 4 <= n; k += 4) {
        const uint64_t a = std::bit_cast<uint64_t>(v[k]);
        const uint64_t b = std::bit_cast<uint64_t>(v[k + 1]);
        const uint64_t c = std::bit_cast<uint64_t>(v[k + 2]);
        const uint64_t d = std::bit_cast<uint64_t>(v[k + 3]);
        const uint64_t q[5] = {t | a << 16, a >> 48 | t << 16 | b << 32, b >> 32 | t << 32 | c << 48,
                               c >> 16 | t << 48, d};
        std::memcpy(p, q, sizeof q);
        p += 40;
      }
    }
    for (; k < n; ++k) {
      if constexpr (std::endian::native == std::endian::little) {
        // Plain copies: the byte-by-byte encoders, vectorised, are slower here.
        const uint16_t tag = kReal;
        std::memcpy(p, &tag, 2);
        std::memcpy(p + 2, &v[k], 8);
        p += 10;
      } else {
        p = put_u16(p, kReal);
        p = put_f64(p, v[k]);
      }
    }
    w.commit(p);
    i += static_cast<int64_t>(n);
  }
  for (; i <= end; ++i) w.commit(put_u16(w.reserve(), kEmpty));
}

}  // namespace

void write_path_file(const Scenario& s, ByteSink& out) { write_path_file(s.path, out); }
void write_table_file(const Scenario& s, ByteSink& out) { write_table_file(s.table, out); }
void write_track_file(const Scenario& s, ByteSink& out) { write_track_file(s.track, out); }

void write_path_file(const Path& path, ByteSink& out) {
  ChunkWriter w(out);
  write_coordinate(path, path.x, 0, w);
  write_coordinate(path, path.y, 1, w);
  w.flush();
}

void write_table_file(const std::array<TableEntry, kTableSize>& table, ByteSink& out) {
  ChunkWriter w(out);
  for (const TableEntry& e : table) {
    char* p = w.reserve();
    p = put_u8(p, e.kind);
    p = put_i32(p, e.long1);
    p = put_i32(p, e.long2);
    p = put_i32(p, e.long3);
    p = put_u8(p, e.flag);
    p = put_u16(p, static_cast<uint16_t>(e.text.size()));
    w.commit(p);
    if (!e.text.empty()) w.append(e.text.data(), e.text.size());
    p = w.reserve();
    p = put_i16(p, e.int1);
    p = put_i16(p, e.int2);
    p = put_i16(p, e.int3);
    p = put_i16(p, e.int4);
    p = put_i16(p, e.int5);
    p = put_u8(p, e.byte1);
    p = put_u8(p, e.byte2);
    p = put_u8(p, e.byte3);
    p = put_u8(p, e.byte4);
    p = put_i32(p, e.long4);
    w.commit(p);
  }
  w.flush();
}

void write_track_file(const std::vector<TrackCell>& track, ByteSink& out) {
  ChunkWriter w(out);
  for (const TrackCell& c : track) {
    char* p = w.reserve();
    p = put_u8(p, c.kind);
    p = put_i16(p, c.paramA);
    p = put_i16(p, c.paramB);
    p = put_i16(p, c.paramC);
    p = put_i16(p, c.paramD);
    p = put_u8(p, c.signalTime);
    p = put_u8(p, c.approach);
    p = put_u8(p, c.tunnel);
    p = put_u8(p, c.speedStep);
    p = put_u8(p, c.gradientCode);
    p = put_u8(p, c.adhesion);
    w.commit(p);
  }
  w.flush();
}

}  // namespace compactor
