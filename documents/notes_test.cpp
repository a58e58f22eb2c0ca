#include "documents/notes.h"

#include <gtest/gtest.h>

#include "driver/row_table_lines.h"

namespace compactor {
namespace {

using testing::file_lines;

TEST(NotesTest, FirstLineAsQuotedThenProseEmptyLineAndSignature) {
  const std::vector<std::string> lines = file_lines(notes_rows());
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "Simulazione del tratto Lavena - Codrano Centrale del ES 2718 Milano - Taranto.");
  for (size_t i = 0; i <= 8; ++i) {
    SCOPED_TRACE("line " + std::to_string(i));
    EXPECT_FALSE(lines[i].empty());
    EXPECT_NE(lines[i][0], ' ') << "prose is not indented";
    EXPECT_LE(lines[i].size(), 97u) << "bytes, one per character";
  }
  EXPECT_EQ(lines[9], "");
  for (size_t i : {10u, 11u}) {
    SCOPED_TRACE("line " + std::to_string(i));
    ASSERT_GT(lines[i].size(), 1u);
    EXPECT_EQ(lines[i][0], ' ') << "the signature is indented";
    EXPECT_NE(lines[i].find_first_not_of(' '), std::string::npos);
  }
  const std::string contact = lines[11].substr(lines[11].find_first_not_of(' '));
  EXPECT_EQ(contact.front(), '(');
  EXPECT_EQ(contact.back(), ')');
}

TEST(NotesTest, AccentedLettersAreSingleWindows1252Bytes) {
  int e_grave = 0, a_grave = 0, u_grave = 0;
  const std::vector<std::string> lines = file_lines(notes_rows());
  for (size_t i = 0; i < lines.size(); ++i) {
    for (unsigned char c : lines[i]) {
      switch (c) {
        case 0xE8: ++e_grave; break;
        case 0xE0: ++a_grave; break;
        case 0xF9: ++u_grave; break;
        default:
          EXPECT_LT(c, 0x80) << "line " << i << ": only è, à and ù leave ASCII";
          EXPECT_GE(c, 0x20) << "line " << i << ": control character";
      }
    }
  }
  EXPECT_GT(e_grave, 0);
  EXPECT_GT(a_grave, 0);
  EXPECT_GT(u_grave, 0);
}

// The briefing's points, each found by a phrase of the prose.
TEST(NotesTest, ProseCoversTheBriefing) {
  std::string prose;
  const std::vector<std::string> lines = file_lines(notes_rows());
  for (size_t i = 1; i <= 8 && i < lines.size(); ++i) prose += lines[i] + " ";
  const char* phrases[] = {
      "4 codici",                 // signal repetition with four codes
      "180 km/h",                 // the top speed it allows
      "135%",                     // with this braked mass
      "10 minuti di ritardo",     // the late departure
      "un altro treno",           // the train ahead, to be overtaken
      "superarlo",
      "treno guasto",             // the failed train near a later station
      "binario 2",
      "binario 1",                // the diverted route
      "viaggiatori e locomotiva", // press on without straining them
      "Buon viaggio",             // the closing wish
  };
  for (const char* p : phrases) EXPECT_NE(prose.find(p), std::string::npos) << p;
}

}  // namespace
}  // namespace compactor
