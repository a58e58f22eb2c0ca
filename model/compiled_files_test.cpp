// The compiled files byte for byte.
#include "model/compiled_files.h"

#include <gtest/gtest.h>

#include "model/coding.h"

namespace compactor {
namespace {

std::string hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

Scenario with_path(int32_t end, int32_t next, bool origin) {
  Scenario s;
  s.path.end = end;
  s.path.next = next;
  s.path.origin_set = origin;
  s.path.allocated = true;
  s.path.x.assign(static_cast<size_t>(end) + 1, 0.0);
  s.path.y.assign(static_cast<size_t>(end) + 1, 0.0);
  for (int i = 0; i <= end; ++i) s.path.y[static_cast<size_t>(i)] = i;
  return s;
}

TEST(PathFileTest, TaggedValuesXHalfThenYHalf) {
  Scenario s = with_path(5, 4, true);
  s.path.x[2] = -0.5;
  s.path.x[3] = 1.0;
  StringSink out;
  write_path_file(s, out);
  EXPECT_EQ(hex(out.bytes),
            // x: two integers, two reals, two empties
            "02 00 00 00 02 00 00 00 "
            "05 00 00 00 00 00 00 00 e0 bf "
            "05 00 00 00 00 00 00 00 f0 3f "
            "00 00 00 00 "
            // y: 0 and 1 as integers, then 2.0 and 3.0
            "02 00 00 00 02 00 01 00 "
            "05 00 00 00 00 00 00 00 00 40 "
            "05 00 00 00 00 00 00 00 08 40 "
            "00 00 00 00");
}

TEST(PathFileTest, PointsNeverComputedAreEmpty) {
  StringSink out;
  write_path_file(with_path(4, 2, false), out);
  EXPECT_EQ(hex(out.bytes), "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST(PathFileTest, TheBuiltInLineLengthGivesItsSizeAndHalves) {
  StringSink out;
  write_path_file(with_path(248000, 247999, true), out);
  ASSERT_EQ(out.bytes.size(), 4959964u);
  const size_t half = 2479982;
  EXPECT_EQ(hex(out.bytes.substr(0, 10)), "02 00 00 00 02 00 00 00 05 00");
  EXPECT_EQ(hex(out.bytes.substr(half, 10)), "02 00 00 00 02 00 01 00 05 00");
  EXPECT_EQ(hex(out.bytes.substr(half - 4, 4)), "00 00 00 00");
  EXPECT_EQ(hex(out.bytes.substr(out.bytes.size() - 4)), "00 00 00 00");
  EXPECT_EQ(coding::get_f64(out.bytes.data() + half + 8 + 10 * 1000 + 2), 1002.0);
}

// The writer hands the bytes over in large chunks, and a 10-byte record may
// be split between two of them: every record of a path much longer than a
// chunk must still decode to its own point.
TEST(PathFileTest, EveryRecordOfALongPathDecodesToItsPoint) {
  const int32_t end = 300000;
  Scenario s = with_path(end, end - 1, true);
  for (int i = 2; i < end - 1; ++i) {
    s.path.x[static_cast<size_t>(i)] = -0.25 * i;
    s.path.y[static_cast<size_t>(i)] = i + 0.5;
  }
  StringSink out;
  write_path_file(s, out);
  const size_t half = 4 + 4 + 10 * (static_cast<size_t>(end) - 3) + 2 + 2;
  ASSERT_EQ(out.bytes.size(), 2 * half);
  size_t wrong = 0;
  for (int c = 0; c < 2; ++c) {
    const char* p = out.bytes.data() + c * half + 8;
    for (int i = 2; i < end - 1; ++i, p += 10) {
      const double want = c == 0 ? -0.25 * i : i + 0.5;
      if (coding::get_u16(p) != 5 || coding::get_f64(p + 2) != want) ++wrong;
    }
    EXPECT_EQ(hex(std::string(p, 4)), "00 00 00 00");
  }
  EXPECT_EQ(wrong, 0u);
}

TEST(TableFileTest, EntriesAre34BytesPlusTheirText) {
  Scenario s;
  TableEntry& e = s.table[86];
  e.kind = 0xfe;
  e.long1 = -2;
  e.long2 = 239000;
  e.long3 = 4;
  e.flag = 7;
  e.text = "ES 2718";
  e.int1 = 60;
  e.int2 = -1;
  e.int3 = 16;
  e.int4 = 12;
  e.int5 = 40;
  e.byte1 = 1;
  e.byte2 = 2;
  e.byte3 = 3;
  e.byte4 = 255;
  e.long4 = 58380;
  StringSink out;
  write_table_file(s, out);
  ASSERT_EQ(out.bytes.size(), 2958u + 7u);
  EXPECT_EQ(out.bytes.substr(0, 34), std::string(34, '\0'));
  EXPECT_EQ(hex(out.bytes.substr(86 * 34)),
            "fe fe ff ff ff 98 a5 03 00 04 00 00 00 07 07 00 "
            "45 53 20 32 37 31 38 "
            "3c 00 ff ff 10 00 0c 00 28 00 01 02 03 ff 0c e4 00 00");
}

TEST(TrackFileTest, CellsAre15ByteRecords) {
  Scenario s;
  s.track.resize(2);
  TrackCell& c = s.track[1];
  c.kind = 1;
  c.paramA = 5121;
  c.paramB = -2;
  c.paramC = 11;
  c.paramD = 8;
  c.signalTime = 255;
  c.approach = 81;
  c.tunnel = 1;
  c.speedStep = 23;
  c.gradientCode = 89;
  c.adhesion = 100;
  StringSink out;
  write_track_file(s, out);
  EXPECT_EQ(hex(out.bytes),
            "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
            "01 01 14 fe ff 0b 00 08 00 ff 51 01 17 59 64");
}

}  // namespace
}  // namespace compactor
