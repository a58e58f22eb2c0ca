// Train data, speed limits, adhesion, signals, slowdowns and speed reduction
// points, each from a small service description.
#include <gtest/gtest.h>

#include "compiler/test_sources.h"

namespace compactor {
namespace {

using testing::compile_rows;
using testing::Compiled;

TEST(TrainDataTest, GeneralRowsOfTheService) {
  const Compiled c = compile_rows("", "numero vetture,    12\r\n"
                                      "percentuale massa frenata,    135\r\n"
                                      "sabbia,    60\r\n"
                                      "orologio,    16              12            40 \r\n"
                                      "aderenza,   0,    100\r\n");
  EXPECT_EQ(c.s.error_code, 0);
  EXPECT_EQ(c.entry(84).long3, 12);
  EXPECT_EQ(c.entry(84).long1, 135);
  EXPECT_EQ(c.entry(86).int1, 60);
  EXPECT_EQ(c.entry(86).int3, 16);
  EXPECT_EQ(c.entry(86).int4, 12);
  EXPECT_EQ(c.entry(86).int5, 40);
  EXPECT_EQ(c.cell(0).adhesion, 100);
  EXPECT_EQ(c.cell(4957).adhesion, 100);
  EXPECT_EQ(c.cell(4958).adhesion, 0);
}

TEST(SpeedLimitTest, EachRowAppliesFromItsCellUntilTheNextRow) {
  const Compiled c = compile_rows("", "velocita,       0,   115\r\n"
                                      "velocita,    2950,   170\r\n"
                                      "velocita,   18290,   150\r\n"
                                      "velocita,  238750,    70\r\n");
  const struct {
    int cell;
    uint8_t step;
  } want[] = {{0, 23}, {58, 23}, {59, 34}, {365, 34}, {366, 30}, {4774, 30}, {4775, 14}, {4957, 14},
              {4958, 0}};
  for (const auto& w : want) EXPECT_EQ(c.cell(w.cell).speedStep, w.step) << w.cell;
}

TEST(SpeedLimitTest, ARowBehindTheFillStillWritesOneCell) {
  const Compiled c = compile_rows("", "velocita,    1000,   100\r\n"
                                      "velocita,    500,   60\r\n"
                                      "velocita,    600,   80\r\n");
  EXPECT_EQ(c.cell(19).speedStep, 0);   // before the first row: speed 0
  EXPECT_EQ(c.cell(20).speedStep, 20);  // one cell of 100 although 500 lies behind
  EXPECT_EQ(c.cell(21).speedStep, 12);  // then 60 for one cell
  EXPECT_EQ(c.cell(22).speedStep, 16);
}

TEST(SpeedLimitTest, ASpeedWhoseFifthDoesNotFitFailsWhenWritten) {
  const Compiled c = compile_rows("", "velocita,       0,   1300\r\nvelocita,    1000,   100\r\n");
  EXPECT_EQ(c.s.error_code, 25);
  EXPECT_EQ(compile_rows("", "velocita,       0,   1275\r\n").cell(3).speedStep, 255);
}

TEST(SignalTest, PackingAndApproachCodes) {
  const Compiled c = compile_rows("", "segnale,    2000,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
                                      "segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n");
  const TrackCell& first = c.cell(41);
  EXPECT_EQ(first.kind, kSignal);
  EXPECT_EQ(first.paramA, 40);
  EXPECT_EQ(first.paramB, 0);
  EXPECT_EQ(first.paramC, 0);
  EXPECT_EQ(first.paramD, 6);
  EXPECT_EQ(first.signalTime, 0);
  const int cells[] = {39, 37, 35, 33};
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(c.cell(cells[k - 1]).approach, 60 + k);
  const TrackCell& second = c.cell(346);
  EXPECT_EQ(second.paramA, 42);
  EXPECT_EQ(second.paramB, 11);
  EXPECT_EQ(second.paramC, 11);
  EXPECT_EQ(second.paramD, 8);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(c.cell(346 - 2 * k).approach, 80 + k);
}

TEST(SignalTest, TempoIsAdjustedAndKeptOnlyWhenSxIsTwo) {
  const struct {
    int tempo;
    int sx;
    uint8_t time;
  } cases[] = {{0, 2, 0},     {1, 2, 101},   {60, 2, 101}, {100, 2, 101}, {101, 2, 101},
               {255, 2, 255}, {-5, 2, 251},  {300, 2, 44}, {60, 1, 0}};
  for (const auto& c : cases) {
    const Compiled r = compile_rows("", "segnale,    2000,   " + std::to_string(c.sx) +
                                            ", 4, 0,  0, 0,    0,  0,0,0, " + std::to_string(c.tempo) + "\r\n");
    EXPECT_EQ(r.cell(41).signalTime, c.time) << c.tempo << " sx " << c.sx;
  }
}

TEST(SignalTest, ASignalTakesATunnelMarkerAndOverwritesOnlyApproachCodes) {
  const Compiled c = compile_rows("montagna,   24350,  26350,  11\r\n",
                                  "segnale,   24450,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
                                  "segnale,   24550,   2, 4, 0,  0, 0,    1,  0,0,0, 0\r\n");
  EXPECT_EQ(c.s.error_code, 0);
  EXPECT_EQ(c.cell(490).kind, kSignal);
  EXPECT_EQ(c.cell(490).tunnel, 1);
  // Two signals 100 m apart: the later one's codes replace the earlier's, and
  // the earlier signal's own cell keeps its kind under the later's code.
  EXPECT_EQ(c.cell(492).kind, kSignal);
  EXPECT_EQ(c.cell(490).approach, 71);
  EXPECT_EQ(c.cell(488).approach, 72);
  EXPECT_EQ(c.cell(486).approach, 73);
  EXPECT_EQ(c.cell(484).approach, 74);
  EXPECT_EQ(c.cell(482).approach, 64);
}

TEST(SignalTest, AnOccupiedCellIsError16) {
  const Compiled c = compile_rows("", "segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
                                      "segnale,   17240,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
                                      "velocita,       0,   115\r\n");
  EXPECT_EQ(c.s.error_code, 16);
  EXPECT_EQ(c.s.error_position, 17240);
  EXPECT_EQ(c.diagnostics.back().file, "svc.txt");
  EXPECT_EQ(c.diagnostics.back().line, 3);
  // The compiler returned: no fills.
  EXPECT_EQ(c.cell(0).speedStep, 0);
}

TEST(SlowdownTest, TheBuiltInSlowdown) {
  const Compiled c = compile_rows("", "rallentamento,  213950,    60,  200, 0,  1,  60\r\n");
  EXPECT_EQ(c.s.error_code, 0);
  const struct {
    int cell;
    uint8_t kind;
    int16_t a, b;
  } want[] = {{4256, kSlowdownWarning, 60, 60}, {4280, kSlowdownStart, 60, 60}, {4284, kSlowdownEnd, 60, 60},
              {4255, kSlowdownApproach, 1, 1},  {4254, kSlowdownApproach, 2, 2}, {4253, kSlowdownApproach, 3, 3},
              {4252, kSlowdownApproach, 4, 4},  {4251, kPlain, 0, 0}};
  for (const auto& w : want) {
    EXPECT_EQ(c.cell(w.cell).kind, w.kind) << w.cell;
    EXPECT_EQ(c.cell(w.cell).paramA, w.a) << w.cell;
    EXPECT_EQ(c.cell(w.cell).paramB, w.b) << w.cell;
  }
}

TEST(SlowdownTest, NearTheStartOfTheLine) {
  // At 1500 m: no warning and no approach cells.
  const Compiled at1500 = compile_rows("", "rallentamento,  1500,    60,  200, 7,  1,  0\r\n");
  EXPECT_EQ(at1500.s.error_code, 0);
  EXPECT_EQ(at1500.cell(31).kind, kSlowdownStart);
  EXPECT_EQ(at1500.cell(31).paramC, 7);
  EXPECT_EQ(at1500.cell(35).kind, kSlowdownEnd);
  for (int i = 0; i < 31; ++i) EXPECT_EQ(at1500.cell(i).kind, kPlain) << i;

  // At 1550 m: the warning in cell 8, the approach cells 7 to 4.
  const Compiled at1550 = compile_rows("", "rallentamento,  1550,    60,  200, 0,  1,  0\r\n");
  EXPECT_EQ(at1550.cell(8).kind, kSlowdownWarning);
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(at1550.cell(7 - j).kind, kSlowdownApproach);
    EXPECT_EQ(at1550.cell(7 - j).paramA, j + 1);
    EXPECT_EQ(at1550.cell(7 - j).paramB, 0);  // d_v is 0
  }
}

TEST(SlowdownTest, OccupiedCellsGive17To20) {
  auto signal = [](int p) {
    return "segnale,   " + std::to_string(p) + ",   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n";
  };
  const std::string slowdown = "rallentamento,  213950,    60,  200, 0,  1,  60\r\n";
  const struct {
    std::string blocker;
    int32_t code;
    int end_kind;  // what the end cell holds afterwards
  } cases[] = {
      {signal(212750), 17, kPlain},        // cell 4256, the warning
      {signal(213950), 18, kPlain},        // cell 4280, the start
      {signal(214150), 19, kSignal},       // cell 4284, the end
      {signal(212700), 20, kSlowdownEnd},  // cell 4255: steps 4 to 7 stay written
  };
  for (const auto& c : cases) {
    const Compiled r = compile_rows("", c.blocker + slowdown);
    EXPECT_EQ(r.s.error_code, c.code) << c.blocker;
    EXPECT_EQ(r.s.error_position, 213950);
    EXPECT_EQ(r.diagnostics.back().line, 3);
    EXPECT_EQ(r.cell(4284).kind, c.end_kind) << c.code;
  }
  // Inside a tunnel, markers give way.
  EXPECT_EQ(compile_rows("montagna,   212000,  216000,  11\r\n", slowdown).s.error_code, 0);
}

TEST(SlowdownTest, ASlowdownReachingPastTheTrackFailsTheReading) {
  const Compiled c = compile_rows("", "rallentamento,  213950,    60,  200000, 0,  1,  60\r\n");
  EXPECT_EQ(c.s.error_code, 25);
}

TEST(ReductionPointTest, WithAndWithoutValue) {
  const Compiled c = compile_rows("", "abbattimento,  1000,   90\r\nabbattimento,  2000,   0\r\n"
                                      "abbattimento,  2010,   5\r\n");
  EXPECT_EQ(c.cell(20).kind, kReductionPoint);
  EXPECT_EQ(c.cell(20).paramA, 90);
  EXPECT_EQ(c.cell(40).kind, kReductionPointNoValue);
  EXPECT_EQ(c.s.error_code, 7);
  EXPECT_EQ(c.s.error_position, 2010);
}

}  // namespace
}  // namespace compactor
