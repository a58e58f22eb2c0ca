#include "model/decoder.h"

#include <algorithm>
#include <cstring>

#include "model/byte_sink.h"
#include "model/compiled_files.h"
#include "model/decoding.h"

namespace compactor {
namespace {

using decoding::Cursor;

enum Tag : uint16_t { kEmpty = 0, kInt16 = 2, kReal = 5 };

template <class T>
Decoded<T> failure(std::string what, size_t offset) {
  Decoded<T> d;
  d.error = DecodeError{std::move(what), offset};
  return d;
}

std::string n(int64_t v) { return std::to_string(v); }

// One half of the path file: the values of one coordinate.
struct Half {
  char name;           // 'x' or 'y'
  int16_t second = 0;  // the integer of point 1: 0 for x, 1 for y
  bool origin_set = false;
  size_t computed = 0;     // points 0 to computed - 1 are the origin and the reals
  size_t empties_at = 0;   // the offset of the first empty point after them
  size_t end = 0;          // the offset just past the half's last point
};

// Decodes one coordinate from the cursor into `values`: points 0 and 1, the
// computed points, then the empty ones. The x half has no size of its own: its
// empty points run until the first point that is not empty (the start of the
// y half) or the end of the file; the y half runs to the end of the file.
std::optional<DecodeError> decode_half(Cursor& c, Half& half, PathValues& values) {
  const std::string of = std::string(" of ") + half.name;
  const auto error = [](std::string what, size_t at) {
    return std::optional<DecodeError>(DecodeError{std::move(what), at});
  };
  const auto cut_short = [&](size_t at, const char* what) {
    return error(std::string(what) + " is cut short by the end of the file", at);
  };
  const auto unexpected = [&](uint16_t tag, size_t point, size_t at) {
    const std::string where = " at point " + n(static_cast<int64_t>(point)) + of;
    switch (tag) {
      case kInt16:
        return error("a 16-bit integer" + where + ", where only points 0 and 1 hold one", at);
      case kReal:
        if (point < 2) return error("a real" + where + ", where a 16-bit integer or nothing belongs", at);
        return error("a real" + where + " after the empty point " + n(static_cast<int64_t>(half.computed)), at);
      default:
        return error("unknown tag " + n(tag) + where, at);
    }
  };

  // Points 0 and 1: both the integers, or both empty.
  for (size_t point = 0; point < 2; ++point) {
    const size_t at = c.offset();
    uint16_t tag;
    if (c.at_end()) return error("the " + std::string(1, half.name) + " half holds fewer than two points", at);
    if (!c.get_u16(tag)) return cut_short(at, "a tag");
    if (tag == kInt16) {
      int16_t v;
      if (!c.get_i16(v)) return cut_short(at, "a 16-bit integer");
      const int16_t want = point == 0 ? 0 : half.second;
      if (v != want) {
        return error("point " + n(static_cast<int64_t>(point)) + of + " holds " + n(v) + ", not " + n(want), at);
      }
      if (point == 1 && !half.origin_set) return error("point 1" + of + " holds an integer, point 0 nothing", at);
      half.origin_set = true;
      values.push_back(v);
    } else if (tag == kEmpty) {
      if (point == 1 && half.origin_set) return error("point 1" + of + " is empty, point 0 holds an integer", at);
      values.push_back(0.0);
    } else {
      return unexpected(tag, point, at);
    }
  }

  // The computed points, the bulk of the file.
  while (c.has(2) && coding::get_u16(c.here()) == kReal) {
    if (!c.has(10)) return cut_short(c.offset(), "a real");
    c.take_u16();
    values.push_back(c.take_f64());
  }
  half.computed = values.size();
  half.empties_at = c.offset();

  // The empty points.
  while (!c.at_end()) {
    const size_t at = c.offset();
    if (!c.has(2)) return cut_short(at, "a tag");
    const uint16_t tag = coding::get_u16(c.here());
    if (tag != kEmpty) {
      // In the x half, a point that is no empty one starts the y half.
      if (half.name == 'x' && (tag == kInt16 || tag == kReal)) break;
      return unexpected(tag, values.size(), at);
    }
    c.take_u16();
    values.push_back(0.0);
  }
  half.end = c.offset();
  return std::nullopt;
}

}  // namespace

Decoded<TrackCells> decode_track_file(std::string_view bytes) {
  if (bytes.empty()) return failure<TrackCells>("empty file", 0);
  const size_t whole = bytes.size() / kCellRecordSize * kCellRecordSize;
  if (whole != bytes.size()) {
    return failure<TrackCells>("a size of " + n(static_cast<int64_t>(bytes.size())) +
                                   " bytes, not a multiple of 15: the last cell is cut short",
                               whole);
  }
  Decoded<TrackCells> d;
  TrackCells& cells = d.value.emplace(bytes.size() / kCellRecordSize);
  Cursor c(bytes);
  for (TrackCell& cell : cells) {
    cell.kind = c.take_u8();
    cell.paramA = c.take_i16();
    cell.paramB = c.take_i16();
    cell.paramC = c.take_i16();
    cell.paramD = c.take_i16();
    cell.signalTime = c.take_u8();
    cell.approach = c.take_u8();
    cell.tunnel = c.take_u8();
    cell.speedStep = c.take_u8();
    cell.gradientCode = c.take_u8();
    cell.adhesion = c.take_u8();
  }
  return d;
}

Decoded<Table> decode_table_file(std::string_view bytes) {
  if (bytes.empty()) return failure<Table>("empty file", 0);
  Decoded<Table> d;
  Table& table = d.value.emplace();
  Cursor c(bytes);
  constexpr size_t kHead = 16, kTail = 18;  // the fields before and after the text
  for (int i = 0; i < kTableSize; ++i) {
    TableEntry& e = table[static_cast<size_t>(i)];
    const std::string entry = "entry " + n(i);
    if (!c.has(kHead)) {
      return failure<Table>(entry + " is cut short by the end of the file (" + n(i) +
                                " of 87 entries whole)",
                            c.offset());
    }
    e.kind = c.take_u8();
    e.long1 = c.take_i32();
    e.long2 = c.take_i32();
    e.long3 = c.take_i32();
    e.flag = c.take_u8();
    const size_t count_at = c.offset();
    const uint16_t count = c.take_u16();
    std::string_view text;
    if (!c.get_bytes(count, text)) {
      return failure<Table>("the text of " + entry + ", " + n(count) +
                                " bytes, runs past the end of the file",
                            count_at);
    }
    e.text.assign(text);
    if (!c.has(kTail)) {
      return failure<Table>(entry + " is cut short by the end of the file (" + n(i) +
                                " of 87 entries whole)",
                            c.offset());
    }
    e.int1 = c.take_i16();
    e.int2 = c.take_i16();
    e.int3 = c.take_i16();
    e.int4 = c.take_i16();
    e.int5 = c.take_i16();
    e.byte1 = c.take_u8();
    e.byte2 = c.take_u8();
    e.byte3 = c.take_u8();
    e.byte4 = c.take_u8();
    e.long4 = c.take_i32();
  }
  if (!c.at_end()) {
    return failure<Table>(n(static_cast<int64_t>(c.left())) + " bytes left over after the 87 entries",
                          c.offset());
  }
  return d;
}

Decoded<Path> decode_path_file(std::string_view bytes) {
  if (bytes.empty()) return failure<Path>("empty file", 0);
  Decoded<Path> d;
  Path& path = d.value.emplace();
  // Each half holds at most one point in every two bytes of the file's half;
  // a file whose halves differ may hold more, and the arrays grow for them.
  path.x.reserve(bytes.size() / 4 + 2);
  path.y.reserve(bytes.size() / 4 + 2);
  Half x{'x', 0}, y{'y', 1};
  Cursor c(bytes);
  if (auto e = decode_half(c, x, path.x)) return failure<Path>(e->what, e->offset);

  // Where the y half starts. After the x half's empty points comes y's
  // point 0: an integer, or else y's origin is empty too and its first two
  // empty points were read with x's: the first real after them, or the end
  // of the file, which then holds the two halves' empty points together.
  const size_t empties = (x.end - x.empties_at) / 2;
  size_t y_points_taken = 0;  // empty points of y read as x's
  if (c.at_end()) {
    // Split the empty points so that both halves hold as many points.
    const size_t reals = x.computed - 2;
    if (empties < 2 + reals || (empties - 2 - reals) % 2 != 0) {
      return failure<Path>("the two halves differ in length: x's " + n(static_cast<int64_t>(x.computed)) +
                               " points and the " + n(static_cast<int64_t>(empties)) +
                               " empty points after them make no two halves of the same length",
                           x.empties_at);
    }
    y_points_taken = 2 + (empties - 2 - reals) / 2 + reals;
  } else if (coding::get_u16(c.here()) == kReal) {
    if (empties < 2) {
      return failure<Path>("a real at point " + n(static_cast<int64_t>(path.x.size())) +
                               " of x after the empty point " + n(static_cast<int64_t>(x.computed)),
                           c.offset());
    }
    y_points_taken = 2;
  }
  size_t y_start = x.end - 2 * y_points_taken;
  path.x.resize(path.x.size() - y_points_taken);
  if (y_points_taken > 0) {
    // Decode y again from its start: its first points were read as x's.
    c = Cursor(bytes);
    c.skip(y_start);
  }
  if (auto e = decode_half(c, y, path.y)) return failure<Path>(e->what, e->offset);

  if (path.x.size() != path.y.size()) {
    return failure<Path>("the two halves differ in length: x holds " + n(static_cast<int64_t>(path.x.size())) +
                             " points, y " + n(static_cast<int64_t>(path.y.size())),
                         y_start);
  }
  if (x.origin_set != y.origin_set) {
    return failure<Path>(std::string("points 0 and 1 of x are ") + (x.origin_set ? "integers" : "empty") +
                             ", of y " + (y.origin_set ? "integers" : "empty"),
                         y_start);
  }
  if (x.computed != y.computed) {
    return failure<Path>("the halves differ: x computes " + n(static_cast<int64_t>(x.computed) - 2) +
                             " points, y " + n(static_cast<int64_t>(y.computed) - 2),
                         y_start + (y.origin_set ? 8 : 4) + 10 * (std::min(x.computed, y.computed) - 2));
  }
  path.end = static_cast<int32_t>(path.x.size() - 1);
  path.next = static_cast<int32_t>(x.computed);
  path.allocated = true;
  path.origin_set = x.origin_set;
  return d;
}

std::string encode_track_file(const TrackCells& cells) {
  StringSink sink;
  write_track_file(cells, sink);
  return std::move(sink.bytes);
}

std::string encode_table_file(const Table& table) {
  StringSink sink;
  write_table_file(table, sink);
  return std::move(sink.bytes);
}

std::string encode_path_file(const Path& path) {
  StringSink sink;
  write_path_file(path, sink);
  return std::move(sink.bytes);
}

bool same_path(const Path& a, const Path& b) {
  const auto same_values = [](const PathValues& u, const PathValues& v) {
    return u.size() == v.size() &&
           (u.empty() || std::memcmp(u.data(), v.data(), u.size() * sizeof(double)) == 0);
  };
  const auto computed = [](const Path& p) { return std::min<int64_t>(p.next, int64_t{p.end} + 1); };
  return a.end == b.end && computed(a) == computed(b) && a.origin_set == b.origin_set &&
         a.allocated == b.allocated && same_values(a.x, b.x) && same_values(a.y, b.y);
}

}  // namespace compactor
