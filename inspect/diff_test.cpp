// The differences of two small scenarios.
#include "inspect/diff.h"

#include <gtest/gtest.h>

namespace compactor::inspect {
namespace {

Path path_of(int32_t end) {
  Path p;
  p.end = end;
  p.allocated = true;
  p.origin_set = true;
  p.next = end - 1;
  p.x.assign(static_cast<size_t>(end) + 1, 0.0);
  p.y.assign(static_cast<size_t>(end) + 1, 0.0);
  for (int32_t i = 1; i < end - 1; ++i) p.y[static_cast<size_t>(i)] = i;
  return p;
}

ScenarioFiles small() {
  ScenarioFiles s;
  s.track = TrackCells(5);
  s.table = Table{};
  (*s.table)[85].text = "Lavena";
  s.path = path_of(20);
  return s;
}

TEST(Diff, ASameScenarioHasNoDifference) {
  EXPECT_TRUE(diff_scenarios(small(), small()).empty());
  EXPECT_EQ(diff_json({}).dump(), R"({"same":true,"differences":[]})");
}

TEST(Diff, EveryChangedFieldOnce) {
  ScenarioFiles a = small(), b = small();
  (*b.track)[3].kind = 1;
  (*b.track)[3].paramA = -7;
  (*b.table)[85].text = "Lav\xe8na";
  (*b.table)[2].long4 = 60;
  b.path->x[5] = 3.0, b.path->y[5] = 9.0;  // 5 m from (0, 5)
  b.path->x[7] = 1.0;
  b.path->next = 17;  // points 17 and 18 become empty
  const std::vector<Difference> d = diff_scenarios(a, b);
  EXPECT_EQ(diff_text(d),
            "track cell 3 (150 m) kind: 0 -> 1\n"
            "track cell 3 (150 m) paramA: 0 -> -7\n"
            "table entry 2 long4: 0 -> 60\n"
            "table entry 85 text: \"Lavena\" -> \"Lavèna\"\n"
            "path: 4 points differ, the first point 5, largest distance 5.000 m\n");
  EXPECT_EQ(diff_json(d)["differences"][0].dump(),
            R"({"file":"track","cell":3,"metres":150,"field":"kind","a":0,"b":1})");
  EXPECT_EQ(diff_json(d)["differences"][4].dump(),
            R"({"file":"path","points_differ":4,"points_a":21,"points_b":21,"first_point":5,"largest_distance":5.0})");
}

TEST(Diff, FilesOnOneSideAndSizesThatDiffer) {
  ScenarioFiles a = small(), b = small();
  b.track->resize(7);
  a.table.reset();
  b.path = path_of(22);
  EXPECT_EQ(diff_text(diff_scenarios(a, b)),
            "track: 5 cells in A, 7 in B\n"
            "table file: only in B\n"
            "path: 4 points differ (21 points in A, 23 in B), the first point 19, largest distance 0.000 m\n");
}

}  // namespace
}  // namespace compactor::inspect
