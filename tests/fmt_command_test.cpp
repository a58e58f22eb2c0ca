// compactor fmt: files rewritten in place, --check, unreadable files.
#include <gtest/gtest.h>

#include "tests/harness.h"

namespace compactor::e2e {
namespace {

const std::string kMessy = "[generale]\r\nsabbia,60\r\n[vel_limite]\r\nvelocita, 0, 115\r\n-- velocita,0,1\r\n[fine]\r\n";
const std::string kTidy =
    "[generale]\r\nsabbia,    60\r\n[vel_limite]\r\nvelocita,       0,   115\r\n-- velocita,0,1\r\n[fine]\r\n";

TEST(FmtCommand, CheckListsWhatWouldChangeAndExitsOne) {
  Scratch s;
  spit(s / "a.txt", kMessy);
  spit(s / "b.txt", kTidy);
  Result r = s.run({"fmt", "--check", "a.txt", "b.txt"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "a.txt: would be formatted\n");
  EXPECT_EQ(slurp(s / "a.txt"), kMessy);  // nothing written

  r = s.run({"fmt", "--check", "b.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
}

TEST(FmtCommand, RewritesTheFilesThatChangeOnly) {
  Scratch s;
  spit(s / "a.txt", kMessy);
  spit(s / "b.txt", kTidy);
  const auto before = fs::last_write_time(s / "b.txt");
  Result r = s.run({"fmt", "a.txt", "b.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "a.txt: formatted\n");
  EXPECT_EQ(slurp(s / "a.txt"), kTidy);
  EXPECT_EQ(fs::last_write_time(s / "b.txt"), before);
  r = s.run({"fmt", "--check", "a.txt"});
  EXPECT_EQ(r.status, 0);
  // No temporary left beside the files.
  int files = 0;
  for (const auto& e : fs::directory_iterator(s.dir())) files += e.path().filename().string()[0] != '.';
  EXPECT_EQ(files, 2);
}

TEST(FmtCommand, AFileThatCannotBeReadGivesTwoAndTheOthersAreStillDone) {
  Scratch s;
  spit(s / "a.txt", kMessy);
  Result r = s.run({"fmt", "missing.txt", "a.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("missing.txt"), std::string::npos) << r.err;
  EXPECT_EQ(slurp(s / "a.txt"), kTidy);
  r = s.run({"fmt"});
  EXPECT_EQ(r.status, 64);
}

}  // namespace
}  // namespace compactor::e2e
