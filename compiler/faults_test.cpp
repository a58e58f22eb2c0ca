// Every fault of the feature rows: its code, its position, the file and line
// of the row's key field, and which sources the compiler gave up.
#include <gtest/gtest.h>

#include "compiler/test_sources.h"

namespace compactor {
namespace {

using testing::compile_rows;

std::string signal(int p) {
  return "segnale,   " + std::to_string(p) + ",   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n";
}
std::string station(int p, int type, int length) {
  return "stazione,  " + std::to_string(p) + ",  " + std::to_string(type) + ",  " + std::to_string(length) +
         ",  0, 0, 0,  1,1,0,  2,1,1,    0,  0,0, 0, X\r\n";
}
const std::string kIndicator = "indicatori_vmax,  2950,  1,  1,  1,  0,  1,  1,  1,  0\r\n";

TEST(FaultsTest, EveryRowFault) {
  const struct {
    const char* name;
    std::string line_rows;
    std::string service_rows;
    int32_t code;
    std::optional<int32_t> position;
    const char* file;
    int line;
    bool service_consumed;
  } cases[] = {
      // Line description: rows start on line 4.
      {"board on an occupied cell", kIndicator + "cartello_indicatore,  2950,   x\r\n", "", 6, 2950, "line.txt", 5, false},
      {"indicator on an occupied cell", kIndicator + kIndicator, "", 21, 2950, "line.txt", 5, false},
      {"curve without class", "curvas,  900,  100\r\n", "", 103, std::nullopt, "line.txt", 4, false},
      {"line row beyond the track", "pendenza,  247950,   0\r\n", "", 15, 247950, "line.txt", 4, true},
      {"line row that cannot be read", "montagna,   1000,  x,  1\r\n", "", 25, std::nullopt, "line.txt", 4, true},
      // Service description: rows start on line 2.
      {"point on an occupied cell", "", signal(950) + "abbattimento,  1000,   9\r\n", 7, 1000, "svc.txt", 3, true},
      {"signal on an occupied cell", "", signal(950) + signal(960), 16, 960, "svc.txt", 3, true},
      {"warning cell occupied", "", signal(212750) + "rallentamento,  213950,    60,  200, 0,  1,  60\r\n", 17,
       213950, "svc.txt", 3, true},
      {"start cell occupied", "", signal(213950) + "rallentamento,  213950,    60,  200, 0,  1,  60\r\n", 18,
       213950, "svc.txt", 3, true},
      {"end cell occupied", "", signal(214150) + "rallentamento,  213950,    60,  200, 0,  1,  60\r\n", 19,
       213950, "svc.txt", 3, true},
      {"approach cells occupied", "", signal(212600) + "rallentamento,  213950,    60,  200, 0,  1,  60\r\n",
       20, 213950, "svc.txt", 3, true},
      {"station off the grid", "", station(17230, 12, 400), 8, 17230, "svc.txt", 2, true},
      {"station length", "", station(10000, 12, 450), 9, 10000, "svc.txt", 2, true},
      {"stations too close", "", station(10000, 12, 400) + station(10700, 12, 400), 22, 10700, "svc.txt", 3, true},
      {"platform ending near the start", "", station(0, 8, 100), 24, std::nullopt, "svc.txt", 2, true},
      {"station beyond the track", "", station(247500, 12, 400), 15, 247500, "svc.txt", 2, true},
      {"service row beyond the track", "", "velocita,  247950,   100\r\n", 15, 247950, "svc.txt", 2, true},
      {"service row that cannot be read", "", "sabbia,    40000\r\n", 25, std::nullopt, "svc.txt", 2, true},
      {"platform past the last cell", "", station(247000, 7, 1000000), 25, std::nullopt, "svc.txt", 2, true},
      {"signal before the line's start", "", signal(-200), 25, std::nullopt, "svc.txt", 2, true},
  };
  for (const auto& c : cases) {
    const testing::Compiled r = compile_rows(c.line_rows, c.service_rows);
    EXPECT_EQ(r.s.error_code, c.code) << c.name;
    ASSERT_FALSE(r.s.diagnostics.empty()) << c.name;
    const Diagnostic& d = r.s.diagnostics.back();
    EXPECT_EQ(d.code, c.code) << c.name;
    EXPECT_EQ(d.position, c.position) << c.name;
    if (c.position) {
      EXPECT_EQ(r.s.error_position, *c.position) << c.name;
    }
    EXPECT_EQ(d.file, c.file) << c.name;
    EXPECT_EQ(d.line, c.line) << c.name;
    EXPECT_TRUE(r.report.line_consumed) << c.name;
    EXPECT_EQ(r.report.service_consumed, c.service_consumed) << c.name;
    EXPECT_TRUE(r.s.track_allocated) << c.name;
  }
}

}  // namespace
}  // namespace compactor
