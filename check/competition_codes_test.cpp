#include "check/competition_codes.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

Scenario named(const std::string& train, const std::string& scenario) {
  Scenario s;
  s.table[86].text = train;
  s.table[85].text = scenario;
  return s;
}

TEST(CompetitionCodesTest, WorkedExamples) {
  const struct {
    const char* train;
    const char* scenario;
    const char* text;
    int32_t og, st;
  } cases[] = {
      {"ES 2718", "Lavena_Codrano2_bis", "es 2718lavena_codrano2_bi", 2274, 31176},
      {"abcdefghijklm", "nopqrstuvwxyz", "abcdefghijklmnopqrstuvwxy", 2725, 36725},
      {"ES 2718", "Lavena_Codrano2", "es 2718lavena_codrano2mmu", -1, -1},
      {"", "", "mmuuzzeerrkkttaappwwhhccy", -1, -1},
      {"A", "b", "abmmuuzzeerrkkttaappwwhhc", -1, -1},
      {"b", "A", "bammuuzzeerrkkttaappwwhhc", -1, -1},
  };
  for (const auto& c : cases) {
    const Scenario s = named(c.train, c.scenario);
    EXPECT_EQ(code_text(s), c.text);
    if (c.og >= 0) {
      EXPECT_EQ(codice_gara_og(s), c.og) << c.text;
      EXPECT_EQ(codice_gara_st(s), c.st) << c.text;
    }
  }
}

TEST(CompetitionCodesTest, SumsOverTheCodeText) {
  const Scenario s = named("", "");
  int32_t og = 0, st = 0;
  const std::string pad = "mmuuzzeerrkkttaappwwhhccy";
  for (int p = 1; p <= 25; ++p) {
    og += static_cast<unsigned char>(pad[p - 1]);
    st += p * static_cast<unsigned char>(pad[p - 1]);
  }
  EXPECT_EQ(codice_gara_og(s), og);
  EXPECT_EQ(codice_gara_st(s), st);
}

TEST(CompetitionCodesTest, CaseDoesNotChangeTheCodes) {
  const Scenario upper = named("ES 2718", "LAVENA_CODRANO2");
  const Scenario lower = named("es 2718", "lavena_codrano2");
  EXPECT_EQ(codice_gara_og(upper), codice_gara_og(lower));
  EXPECT_EQ(codice_gara_st(upper), codice_gara_st(lower));
  // Accented capitals of the ANSI code page lower-case too.
  EXPECT_EQ(code_text(named("\xC8", "")), code_text(named("\xE8", "")));
}

}  // namespace
}  // namespace compactor
