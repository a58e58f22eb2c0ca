// The block-signal pass on small hand-built tracks, and the reserved fields.
#include "check/block_pass.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

// A track of `cells` plain cells.
Scenario track(int cells = 200) {
  Scenario s;
  s.track.assign(static_cast<size_t>(cells), TrackCell{});
  s.last_cell = cells - 1;
  s.track_allocated = true;
  return s;
}

void put(Scenario& s, int cell, uint8_t kind, int16_t a = 0) {
  s.track[static_cast<size_t>(cell)].kind = kind;
  s.track[static_cast<size_t>(cell)].paramA = a;
}

// A slowdown of speed v from start cell i to end cell e.
void slowdown(Scenario& s, int i, int e, int16_t v) {
  put(s, i, kSlowdownStart, v);
  put(s, e, kSlowdownEnd, v);
}

bool marked(const Scenario& s, int cell) {
  const TrackCell& c = s.track[static_cast<size_t>(cell)];
  return c.kind == kReductionPoint && c.paramA == 180;
}

// The pass over `s`, and the diagnostics it records.
std::vector<Diagnostic> pass(Scenario& s) {
  std::vector<Diagnostic> found;
  block_pass(s, found);
  return found;
}

std::vector<int> codes(const std::vector<Diagnostic>& found) {
  std::vector<int> out;
  for (const Diagnostic& d : found) out.push_back(d.code);
  return out;
}

TEST(BlockPassPointsTest, EachPointNamesTheSlowdownCellThatCalledForIt) {
  Scenario kept = track();
  put(kept, 40, kSignal);
  put(kept, 38, kReductionPoint, 200);
  put(kept, 37, kSignal);  // its cell before is free: marked
  put(kept, 50, kSlowdownWarning, 60);
  put(kept, 39, kSignal);  // 38 holds a point: capped
  slowdown(kept, 100, 120, 60);
  Scenario plain = kept;
  std::vector<BlockPassPoint> points;
  std::vector<Diagnostic> found;
  block_pass(kept, found, nullptr, &points);
  pass(plain);
  // Recording changes nothing in the track.
  ASSERT_EQ(kept.track.size(), plain.track.size());
  for (size_t i = 0; i < kept.track.size(); ++i) {
    EXPECT_EQ(kept.track[i].kind, plain.track[i].kind) << i;
    EXPECT_EQ(kept.track[i].paramA, plain.track[i].paramA) << i;
  }
  size_t marks = 0;
  for (const TrackCell& c : plain.track) marks += c.kind == kReductionPoint && c.paramA == 180;
  size_t placed = 0;
  for (const BlockPassPoint& p : points) {
    EXPECT_TRUE(p.slowdown_cell == 50 || p.slowdown_cell == 100) << p.cell;
    EXPECT_EQ(plain.track[static_cast<size_t>(p.cell)].kind, kReductionPoint) << p.cell;
    if (p.slowdown_cell == 50) {
      EXPECT_LT(p.cell, 50);
    } else {
      EXPECT_GT(p.cell, 50);
    }
    placed += !p.capped;
  }
  // Every new point is listed once; the capped one (38, from 200 to 180) too.
  EXPECT_EQ(placed, marks - 1);
  bool capped = false;
  for (const BlockPassPoint& p : points) capped |= p.capped && p.cell == 38 && p.slowdown_cell == 50;
  EXPECT_TRUE(capped);
}

TEST(MinimoTest, TheSmallerAndXOnATie) {
  EXPECT_EQ(minimo(180, 150), 150);
  EXPECT_EQ(minimo(180, 200), 180);
  EXPECT_EQ(minimo(180, 180), 180);
  EXPECT_EQ(minimo(-1, 5), -1);
}

TEST(SignalsNearWarningTest, PointInFrontOfEachSignal) {
  Scenario s = track();
  put(s, 100, kSlowdownWarning);
  put(s, 98, kSignal);                                                            // 97 free: marked
  put(s, 94, kSignal), put(s, 93, kSpeedIndicator);                               // 92 marked
  put(s, 90, kSignal), put(s, 89, kReductionPoint, 150), put(s, 88, kSpeedIndicator);  // stays 150
  put(s, 86, kSignal), put(s, 85, kSpeedIndicator), put(s, 84, kReductionPoint, 200);  // capped to 180
  put(s, 79, kSignal);                                                            // 21 cells back: untouched
  const std::vector<Diagnostic> found = pass(s);
  EXPECT_TRUE(marked(s, 97));
  EXPECT_TRUE(marked(s, 92));
  EXPECT_EQ(s.track[89].paramA, 150);
  EXPECT_EQ(s.track[84].paramA, 180);
  EXPECT_EQ(s.track[78].kind, kPlain);
  EXPECT_EQ(s.track[77].kind, kPlain);
  EXPECT_TRUE(codes(found).empty());
}

TEST(SignalsNearWarningTest, NoRoomIsError11AndTheLookBackGoesOn) {
  Scenario s = track();
  put(s, 100, kSlowdownWarning);
  put(s, 98, kSignal), put(s, 97, kSignal), put(s, 96, kSignal);
  const std::vector<Diagnostic> found = pass(s);
  // 98: 97 and 96 are signals; 97: 96 taken, 95 marked; 96: 95 taken now, 94 marked.
  EXPECT_EQ(codes(found), std::vector<int>{11});
  EXPECT_EQ(found[0].position, 98 * 50);
  EXPECT_TRUE(marked(s, 95));
  EXPECT_TRUE(marked(s, 94));
  EXPECT_EQ(s.error_code, 11);
}

TEST(SignalsNearWarningTest, TheLookBackStopsBelowCell3) {
  Scenario s = track();
  put(s, 5, kSlowdownWarning);
  put(s, 4, kSignal), put(s, 3, kSignal), put(s, 2, kSignal);
  const std::vector<Diagnostic> found = pass(s);
  // 4: cells 3 and 2 hold signals: error 11. 3: cell 1 is free: marked.
  // The signal in cell 2 is never looked at (cell 0 stays plain).
  EXPECT_EQ(codes(found), std::vector<int>{11});
  EXPECT_TRUE(marked(s, 1));
  EXPECT_EQ(s.track[0].kind, kPlain);
}

TEST(WindowsTest, WhichWindowsApplyByTheStartCell) {
  const struct {
    int start;
    std::vector<int> marks;
  } cases[] = {
      {7, {}},
      {8, {3}},
      {14, {9, 3}},
      {21, {16, 10, 3}},
  };
  for (const auto& c : cases) {
    Scenario s = track();
    slowdown(s, c.start, c.start + 4, 120);
    pass(s);
    int points = 0;
    for (int i = 0; i < c.start; ++i) points += s.track[static_cast<size_t>(i)].kind == kReductionPoint;
    EXPECT_EQ(points, static_cast<int>(c.marks.size())) << c.start;
    for (int m : c.marks) EXPECT_TRUE(marked(s, m)) << c.start << " cell " << m;
  }
}

TEST(WindowsTest, AFullWindowIsError12AtTheStartAndTheOthersAreStillTried) {
  Scenario s = track();
  slowdown(s, 50, 54, 120);
  for (int c : {45, 44, 43}) put(s, c, kSignal);
  put(s, 39, kSpeedIndicator);
  const std::vector<Diagnostic> found = pass(s);
  EXPECT_EQ(codes(found), std::vector<int>{12});
  EXPECT_EQ(found[0].position, 2500);
  EXPECT_TRUE(marked(s, 38));
  EXPECT_TRUE(marked(s, 32));
}

TEST(PointsAlongTest, SpeedDecidesAndPointsFollowEvery8Cells) {
  Scenario slow = track();
  slowdown(slow, 50, 62, 60);
  pass(slow);
  EXPECT_TRUE(marked(slow, 58));
  for (int c = 51; c < 62; ++c) EXPECT_EQ(slow.track[static_cast<size_t>(c)].kind == kReductionPoint, c == 58) << c;

  Scenario fast = track();
  slowdown(fast, 50, 62, 110);
  pass(fast);
  for (int c = 51; c < 62; ++c) EXPECT_EQ(fast.track[static_cast<size_t>(c)].kind, kPlain) << c;
  EXPECT_TRUE(marked(fast, 45));  // the windows still apply
}

TEST(PointsAlongTest, MovedPointsMoveTheNextOnes) {
  Scenario back = track();
  slowdown(back, 50, 80, 60);
  put(back, 58, kSignal);
  pass(back);
  EXPECT_TRUE(marked(back, 57));
  EXPECT_TRUE(marked(back, 65));
  EXPECT_TRUE(marked(back, 73));

  Scenario forward = track();
  slowdown(forward, 50, 80, 60);
  put(forward, 58, kSignal), put(forward, 57, kSignal);
  pass(forward);
  EXPECT_TRUE(marked(forward, 59));
  EXPECT_TRUE(marked(forward, 67));
  EXPECT_TRUE(marked(forward, 75));
}

TEST(PointsAlongTest, NoRoomIsError13AndTheScanPlacesNoMore) {
  Scenario s = track();
  slowdown(s, 50, 80, 60);
  put(s, 57, kSignal), put(s, 58, kSignal), put(s, 59, kSignal);
  const std::vector<Diagnostic> found = pass(s);
  EXPECT_EQ(codes(found), std::vector<int>{13});
  EXPECT_EQ(found[0].position, 58 * 50);
  for (int c = 60; c < 80; ++c) EXPECT_EQ(s.track[static_cast<size_t>(c)].kind, kPlain) << c;
}

TEST(NextSignalTest, APointBeforeTheFirstSignalWithin13CellsOfTheEnd) {
  const struct {
    int speed;
    int signal;  // cells after the end
    bool placed;
  } cases[] = {{60, 2, true}, {60, 12, true}, {60, 13, false}, {120, 2, true}, {120, 13, false}};
  for (const auto& c : cases) {
    Scenario s = track();
    slowdown(s, 50, 54, static_cast<int16_t>(c.speed));
    put(s, 54 + c.signal, kSignal);
    const std::vector<Diagnostic> found = pass(s);
    EXPECT_EQ(marked(s, 54 + c.signal - 1), c.placed) << c.speed << " +" << c.signal;
    EXPECT_TRUE(codes(found).empty());
  }
}

TEST(NextSignalTest, NoRoomBeforeTheSignalIsError13AtTheEnd) {
  Scenario s = track();
  slowdown(s, 50, 54, 60);
  put(s, 56, kSignal), put(s, 55, kSignal);
  pass(s);
  // The signal in 55 comes first: 54 is the end, 53 is inside the slowdown and free.
  EXPECT_TRUE(marked(s, 53));
  Scenario t = track();
  slowdown(t, 50, 54, 60);
  put(t, 56, kSignal), put(t, 55, kSpeedIndicator);
  const std::vector<Diagnostic> t_found = pass(t);
  EXPECT_EQ(codes(t_found), std::vector<int>{13});
  EXPECT_EQ(t_found[0].position, 54 * 50);
}

TEST(BlockPassTest, ScansStopAtTheLastCell) {
  // A start without an end: scans C and D stop at the last cell.
  Scenario s = track(60);
  put(s, 50, kSlowdownStart, 60);
  put(s, 59, kSignal);
  pass(s);
  EXPECT_TRUE(marked(s, 58));
  EXPECT_EQ(s.track.size(), 60u);
}

TEST(ReservedFieldsTest, StampsCodesAndFatalErrors) {
  Scenario s = track();
  s.table[85].text = "Lavena_Codrano2";
  s.table[86].text = "ES 2718";
  EXPECT_EQ(stamp_reserved_fields(s), std::nullopt);
  EXPECT_EQ(s.table[85].int1, 610);
  EXPECT_EQ(s.track[1].paramA, 5121);
  EXPECT_NE(s.table[85].long4, 0);
  EXPECT_NE(s.track[1].paramB, 0);

  const struct {
    const char* name;
    void (*spoil)(Scenario&);
    int fatal;
  } cases[] = {
      {"entry 85 int1", [](Scenario& x) { x.table[85].int1 = 1; }, 1250},
      {"cell 1 paramA", [](Scenario& x) { x.track[1].paramA = 180; }, 1250},
      {"entry 85 long4", [](Scenario& x) { x.table[85].long4 = 1; }, 1251},
      {"cell 1 paramB", [](Scenario& x) { x.track[1].paramB = 1; }, 1251},
  };
  for (const auto& c : cases) {
    Scenario t = track();
    c.spoil(t);
    EXPECT_EQ(stamp_reserved_fields(t), c.fatal) << c.name;
  }
}

}  // namespace
}  // namespace compactor
