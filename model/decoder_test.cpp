// The decoder: the way back from the writers' bytes, and what it says about
// bytes the writers never write.
#include "model/decoder.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "model/coding.h"
#include "model/compiled_files.h"

namespace compactor {
namespace {

// A small path as the compiler leaves it: the origin, `next` - 2 computed
// points on a turn, the rest empty.
Path small_path(int32_t end, int32_t next, bool origin) {
  Path p;
  p.end = end;
  p.next = next;
  p.allocated = true;
  p.origin_set = origin;
  p.x.assign(static_cast<size_t>(end) + 1, 0.0);
  p.y.assign(static_cast<size_t>(end) + 1, 0.0);
  if (origin) p.y[1] = 1.0;
  for (int32_t i = 2; i < next && i <= end; ++i) {
    p.x[static_cast<size_t>(i)] = 0.001 * i * i - 1e-300;
    p.y[static_cast<size_t>(i)] = i - 0.1;
  }
  return p;
}

Table small_table() {
  Table t{};
  t[1].kind = 3;
  t[1].long1 = 1000;
  t[1].long2 = 1400;
  t[1].long3 = -1;
  t[1].flag = 255;
  t[1].text = "Lavena";
  t[1].int1 = -32768;
  t[1].int5 = 32767;
  t[1].byte4 = 200;
  t[1].long4 = 58380;
  t[80].text = "(Km 208+500)";
  t[85].text = "Lavena_Codrano2";
  t[85].int1 = 610;
  t[86].text = std::string("ES \xe8", 4);
  return t;
}

TrackCells small_track() {
  TrackCells cells(4);
  cells[1] = TrackCell{1, 5121, -2, 11, 8, 255, 81, 1, 23, 89, 100};
  cells[3].kind = 200;  // no kind the compiler makes, but a byte the writer writes
  return cells;
}

TEST(DecoderTest, WhatTheWritersWriteDecodesToTheModelAndBack) {
  const TrackCells cells = small_track();
  const std::string track = encode_track_file(cells);
  const Decoded<TrackCells> t = decode_track_file(track);
  ASSERT_TRUE(t.ok()) << t.error.what;
  EXPECT_EQ(*t.value, cells);
  EXPECT_EQ(encode_track_file(*t.value), track);

  const Table table = small_table();
  const std::string sim = encode_table_file(table);
  const Decoded<Table> s = decode_table_file(sim);
  ASSERT_TRUE(s.ok()) << s.error.what;
  EXPECT_EQ(*s.value, table);
  EXPECT_EQ(encode_table_file(*s.value), sim);

  struct Case {
    const char* name;
    Path path;
  };
  Path odd = small_path(9, 6, true);
  odd.x[3] = std::numeric_limits<double>::quiet_NaN();
  odd.y[4] = -0.0;
  odd.x[5] = std::numeric_limits<double>::infinity();
  const Case paths[] = {
      {"computed to the end", small_path(9, 10, true)},
      {"the compiler's shape", small_path(9, 8, true)},
      {"nothing computed", small_path(9, 2, true)},
      {"no origin", small_path(9, 2, false)},
      {"no origin, computed points", small_path(9, 5, false)},
      {"two points", small_path(1, 2, true)},
      {"NaN, infinity and -0", odd},
  };
  for (const Case& c : paths) {
    const std::string bytes = encode_path_file(c.path);
    const Decoded<Path> p = decode_path_file(bytes);
    ASSERT_TRUE(p.ok()) << c.name << ": " << p.error.what << " at byte " << p.error.offset;
    EXPECT_TRUE(same_path(*p.value, c.path)) << c.name;
    EXPECT_EQ(encode_path_file(*p.value), bytes) << c.name;
  }
}

TEST(DecoderTest, SamePathComparesBitsAndTheComputedPoints) {
  const Path a = small_path(9, 8, true);
  Path b = a;
  EXPECT_TRUE(same_path(a, b));
  b.x[4] = -b.x[4];
  EXPECT_FALSE(same_path(a, b));
  b = a;
  b.next = 7;
  EXPECT_FALSE(same_path(a, b));
  Path z = small_path(9, 8, true), m = z;
  m.x[3] = -0.0;
  z.x[3] = 0.0;
  EXPECT_FALSE(same_path(z, m));
}

std::string u16(uint16_t v) {
  std::string s(2, '\0');
  coding::put_u16(s.data(), v);
  return s;
}
std::string real(double v) {
  std::string s(10, '\0');
  coding::put_f64(coding::put_u16(s.data(), 5), v);
  return s;
}
const std::string kEmpty = u16(0);
std::string integer(int16_t v) { return u16(2) + u16(static_cast<uint16_t>(v)); }
std::string x_origin() { return integer(0) + integer(0); }
std::string y_origin() { return integer(0) + integer(1); }

struct Damaged {
  const char* name;
  std::string bytes;
  std::string what;
  size_t offset;
};

TEST(DecoderTest, DamagedTrackFilesSayWhatAndWhere) {
  const std::string two = encode_track_file(TrackCells(2));
  const Damaged cases[] = {
      {"empty", "", "empty file", 0},
      {"one byte", "x", "a size of 1 bytes, not a multiple of 15: the last cell is cut short", 0},
      {"a cell and a half", two.substr(0, 22),
       "a size of 22 bytes, not a multiple of 15: the last cell is cut short", 15},
  };
  for (const Damaged& c : cases) {
    const Decoded<TrackCells> d = decode_track_file(c.bytes);
    ASSERT_FALSE(d.ok()) << c.name;
    EXPECT_EQ(d.error.what, c.what) << c.name;
    EXPECT_EQ(d.error.offset, c.offset) << c.name;
  }
}

TEST(DecoderTest, DamagedTableFilesSayWhatAndWhere) {
  const std::string good = encode_table_file(small_table());
  // Entry 1 starts at byte 34; its text count at 48.
  std::string long_count = good;
  coding::put_u16(long_count.data() + 48, 60000);
  const Damaged cases[] = {
      {"empty", "", "empty file", 0},
      {"one entry short", good.substr(0, good.size() - 34),
       "entry 86 is cut short by the end of the file (86 of 87 entries whole)", good.size() - 38},
      {"cut inside the last entry's tail", good.substr(0, good.size() - 3),
       "entry 86 is cut short by the end of the file (86 of 87 entries whole)", good.size() - 18},
      {"a text count past the end", long_count,
       "the text of entry 1, 60000 bytes, runs past the end of the file", 48},
      {"bytes left over", good + "xyz", "3 bytes left over after the 87 entries", good.size()},
      {"a track file", encode_track_file(TrackCells(4961)), "71457 bytes left over after the 87 entries",
       2958},
  };
  for (const Damaged& c : cases) {
    const Decoded<Table> d = decode_table_file(c.bytes);
    ASSERT_FALSE(d.ok()) << c.name;
    EXPECT_EQ(d.error.what, c.what) << c.name;
    EXPECT_EQ(d.error.offset, c.offset) << c.name;
  }
}

TEST(DecoderTest, DamagedPathFilesSayWhatAndWhere) {
  // A good half: the origin (8 bytes), two reals (20), two empties (4).
  const std::string x = x_origin() + real(0.5) + real(1.0) + kEmpty + kEmpty;
  const std::string y = y_origin() + real(2.0) + real(3.0) + kEmpty + kEmpty;
  ASSERT_TRUE(decode_path_file(x + y).ok());
  const Damaged cases[] = {
      {"empty", "", "empty file", 0},
      {"odd size", x + y + "z", "a tag is cut short by the end of the file", 64},
      {"unknown tag", x + y_origin() + real(2.0) + u16(8) + std::string(8, '\0') + kEmpty + kEmpty,
       "unknown tag 8 at point 3 of y", 32 + 18},
      {"x one empty point longer", x + kEmpty + y.substr(0, y.size() - 2),
       "the two halves differ in length: x holds 7 points, y 5", 34},
      {"x one real longer", x_origin() + real(0.5) + real(1.0) + real(1.5) + kEmpty + kEmpty + y,
       "the two halves differ in length: x holds 7 points, y 6", 42},
      {"y one real shorter", (x + y).substr(0, 60) + kEmpty,
       "the two halves differ in length: x holds 6 points, y 5", 32},
      {"last tag cut short", (x + y).substr(0, 63), "a tag is cut short by the end of the file", 62},
      {"a real cut short", x + y_origin() + real(2.0) + real(3.0).substr(0, 6),
       "a real is cut short by the end of the file", 32 + 18},
      {"fewer than two points", kEmpty, "the x half holds fewer than two points", 2},
      {"no y half", x_origin() + real(0.5),
       "the two halves differ in length: x's 3 points and the 0 empty points after them make no "
       "two halves of the same length",
       18},
      {"empty points for one half and a half", kEmpty + kEmpty + kEmpty + kEmpty + kEmpty,
       "the two halves differ in length: x's 2 points and the 3 empty points after them make no "
       "two halves of the same length",
       4},
      {"a real at point 0", real(1.0) + kEmpty + kEmpty + kEmpty + kEmpty + kEmpty + kEmpty + kEmpty,
       "a real at point 0 of x, where a 16-bit integer or nothing belongs", 0},
      {"y's point 1 is not 1", x + x, "point 1 of y holds 0, not 1", 32 + 4},
      {"an integer after the origin", x_origin() + integer(7) + real(1.0) + kEmpty + kEmpty + y,
       "point 0 of y holds 7, not 0", 8},
      {"an integer among the empty points of y", x + y_origin() + real(2.0) + real(3.0) + integer(0),
       "a 16-bit integer at point 4 of y, where only points 0 and 1 hold one", 60},
      {"a real after an empty point", x_origin() + real(0.5) + kEmpty + real(1.0) + kEmpty + y,
       "a real at point 4 of x after the empty point 3", 20},
      {"half an origin", integer(0) + kEmpty + kEmpty + real(0.5) + real(1.0) + kEmpty + kEmpty +
                             std::string(2, '\0') + y,
       "point 1 of x is empty, point 0 holds an integer", 4},
      {"halves computing different counts", x + y_origin() + real(2.0) + kEmpty + kEmpty + kEmpty + kEmpty,
       "the two halves differ in length: x holds 6 points, y 7", 32},
      {"origins differ", x + kEmpty + kEmpty + real(2.0) + real(3.0) + kEmpty + kEmpty,
       "points 0 and 1 of x are integers, of y empty", 32},
      {"computed counts differ", x + y_origin() + real(2.0) + kEmpty + kEmpty + kEmpty,
       "the halves differ: x computes 2 points, y 1", 32 + 8 + 10},
  };
  for (const Damaged& c : cases) {
    const Decoded<Path> d = decode_path_file(c.bytes);
    ASSERT_FALSE(d.ok()) << c.name;
    EXPECT_EQ(d.error.what, c.what) << c.name;
    EXPECT_EQ(d.error.offset, c.offset) << c.name;
  }
}

}  // namespace
}  // namespace compactor
