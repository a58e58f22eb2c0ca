#include "model/compiled_files.h"

#include <array>

#include "model/coding.h"

namespace compactor {
namespace {

using namespace coding;

// Collects small records into a large chunk before handing it to the sink, so
// a file of millions of records costs a few hundred writes.
class ChunkWriter {
 public:
  explicit ChunkWriter(ByteSink& out) : out_(out) {}
  ~ChunkWriter() = default;

  // Room for a record of at most `size` bytes; call commit() with its end.
  char* reserve(size_t size) {
    if (used_ + size > buffer_.size()) flush();
    return buffer_.data() + used_;
  }
  void commit(char* end) { used_ = static_cast<size_t>(end - buffer_.data()); }
  void append(const char* data, size_t size) {
    flush();
    out_.write(data, size);
  }
  void flush() {
    if (used_ > 0) out_.write(buffer_.data(), used_);
    used_ = 0;
  }

 private:
  ByteSink& out_;
  std::array<char, 1 << 16> buffer_;
  size_t used_ = 0;
};

enum Tag : uint16_t { kEmpty = 0, kInt16 = 2, kReal = 5 };

void write_coordinate(const Path& path, const std::vector<double>& values, int16_t second,
                      ChunkWriter& w) {
  for (int32_t i = 0; i <= path.end; ++i) {
    char* p = w.reserve(10);
    if (i < 2) {
      if (path.origin_set) {
        p = put_u16(p, kInt16);
        p = put_i16(p, i == 0 ? 0 : second);
      } else {
        p = put_u16(p, kEmpty);
      }
    } else if (i < path.next) {
      p = put_u16(p, kReal);
      p = put_f64(p, values[static_cast<size_t>(i)]);
    } else {
      p = put_u16(p, kEmpty);
    }
    w.commit(p);
  }
}

}  // namespace

void write_path_file(const Scenario& s, ByteSink& out) {
  ChunkWriter w(out);
  write_coordinate(s.path, s.path.x, 0, w);
  write_coordinate(s.path, s.path.y, 1, w);
  w.flush();
}

void write_table_file(const Scenario& s, ByteSink& out) {
  ChunkWriter w(out);
  for (const TableEntry& e : s.table) {
    char* p = w.reserve(16);
    p = put_u8(p, e.kind);
    p = put_i32(p, e.long1);
    p = put_i32(p, e.long2);
    p = put_i32(p, e.long3);
    p = put_u8(p, e.flag);
    p = put_u16(p, static_cast<uint16_t>(e.text.size()));
    w.commit(p);
    if (!e.text.empty()) w.append(e.text.data(), e.text.size());
    p = w.reserve(18);
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

void write_track_file(const Scenario& s, ByteSink& out) {
  ChunkWriter w(out);
  for (const TrackCell& c : s.track) {
    char* p = w.reserve(kCellRecordSize);
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
