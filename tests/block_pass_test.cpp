// The block pass as a user sees it: its diagnostics in both reports, and a
// point on cell 1 ending the run before any compiled file is touched.
#include <gtest/gtest.h>

#include "tests/harness.h"

namespace compactor::e2e {
namespace {

const std::string kLine = "[generale]\r\nlunghezza percorso,    241000\r\n[curve]\r\n[fine]\r\n";

std::string signal(int p) {
  return "segnale,   " + std::to_string(p) + ",   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n";
}

TEST(BlockPassRun, DiagnosticsAreReportedAndTheFilesStillWritten) {
  Scratch s;
  spit(s / "line.txt", kLine);
  // A slowdown starting at cell 100 (x = 4950) whose near window, cells 95
  // to 93, holds signals: error 12 at the start, 5000 m.
  spit(s / "svc.txt", "[generale]\r\n" + signal(4600) + signal(4650) + signal(4700) +
                          "rallentamento,  4950,    120,  200, 0,  0,  0\r\n");
  const Result human = s.run({"compile", "line.txt", "svc.txt"});
  EXPECT_EQ(human.status, 1);
  EXPECT_EQ(human.err, "error 12: no room for a speed reduction point in a window before a slowdown "
                       "start (at 5000 m)\n"
                       "svc.txt:5:1: note: the slowdown whose start is at cell 100, placed by this row\n"
                       "    rallentamento,  4950,    120,  200, 0,  0,  0\n"
                       "    ^\n"
                       "note: the pass places no point there and goes on\n");
  EXPECT_TRUE(fs::exists(s / "Lavena_Codrano2_ES 2718.dat"));

  const Result json = s.run({"compile", "line.txt", "svc.txt", "--json"});
  EXPECT_EQ(json.status, 1);
  EXPECT_NE(json.out.find("\"error_code\": 12, \"error_position\": 5000, \"diagnostics\": [{\"code\": 12, "
                          "\"position\": 5000, \"message\""),
            std::string::npos)
      << json.out;
}

TEST(BlockPassRun, ASlowdownStartingAtCell8MarksCell1AndEndsIn1250) {
  Scratch s;
  spit(s / "line.txt", kLine);
  // Start cell 8 (x = 350); cells 3 and 2 hold signals, so the near window
  // marks cell 1.
  spit(s / "svc.txt", "[generale]\r\n" + signal(50) + signal(100) +
                          "rallentamento,  350,    60,  200, 0,  0,  0\r\n");
  spit(s / "Lavena_Codrano2_ES 2718.sim", "earlier");
  const Result r = s.run({"compile", "line.txt", "svc.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Lavena_Codrano2_ES 2718:  Errore n. 1250\n");
  EXPECT_EQ(slurp(s / "Lavena_Codrano2_ES 2718.sim"), "earlier");
  EXPECT_FALSE(fs::exists(s / "Lavena_Codrano2_ES 2718.dat"));
  EXPECT_FALSE(fs::exists(s / "Lavena_Codrano2_linea.dat"));

  // At cell 7 (x = 300) no window applies and the run is clean.
  spit(s / "svc.txt", "[generale]\r\nrallentamento,  300,    60,  200, 0,  0,  0\r\n");
  EXPECT_EQ(s.run({"compile", "line.txt", "svc.txt"}).status, 0);
}

}  // namespace
}  // namespace compactor::e2e
