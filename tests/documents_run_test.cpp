// The crew documents as a run leaves them: their bytes, the order in which the
// run writes its files, and a run stopped by a file it cannot write.
#include <gtest/gtest.h>

#include "documents/notes.h"
#include "documents/slowdown_order.h"
#include "documents/train_sheet.h"
#include "tests/harness.h"

namespace compactor::e2e {
namespace {

const char* const kLine = "Lavena_Codrano2_linea.txt";
const char* const kService = "Lavena_Codrano2_ES 2718-.txt";
const char* const kNotes = "Lavena_Codrano2_ES 2718_note.txt";
const char* const kSlowdowns = "Lavena_Codrano2_ES 2718_rallentamenti.txt";
const char* const kSheet = "Lavena_Codrano2_ES 2718_scheda_treno.txt";
const char* const kPathFile = "Lavena_Codrano2_linea.dat";
const char* const kTableFile = "Lavena_Codrano2_ES 2718.sim";
const char* const kTrackFile = "Lavena_Codrano2_ES 2718.dat";

// The run's files in the order it writes them.
const char* const kWriteOrder[] = {kLine, kService, kNotes, kSlowdowns, kSheet, kPathFile, kTableFile, kTrackFile};

TEST(DocumentsRun, ABuiltInRunLeavesTheThreeDocuments) {
  Scratch s;
  const Result r = s.run({"--dir", "."});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp(s / kNotes), render_rows(notes_rows()));
  EXPECT_EQ(slurp(s / kSlowdowns), render_rows(slowdown_order_rows()));
  EXPECT_EQ(slurp(s / kSheet), render_rows(train_sheet_rows()));
  // The notes hold Windows-1252 bytes, not UTF-8.
  const std::string notes = slurp(s / kNotes);
  EXPECT_NE(notes.find('\xE8'), std::string::npos);
  EXPECT_EQ(notes.find('\xC3'), std::string::npos);
}

TEST(DocumentsRun, ExportWritesTheTextsInTheRunOrder) {
  Scratch s;
  const Result r = s.run({"export", "--dir", ".", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  size_t at = 0;
  for (const char* name : {kLine, kService, kNotes, kSlowdowns, kSheet}) {
    const size_t found = r.out.find("\"" + std::string(name) + "\"", at);
    ASSERT_NE(found, std::string::npos) << name << " missing or out of order in " << r.out;
    at = found;
    EXPECT_TRUE(fs::exists(s / name)) << name;
  }
  EXPECT_FALSE(fs::exists(s / kTrackFile));
}

// A directory standing where a file is to be written stops the run there with
// exit status 2: the files written before it stay, none after it is written.
TEST(DocumentsRun, AFileThatCannotBeWrittenStopsTheRunAfterTheEarlierWriters) {
  const size_t blocked_at[] = {0, 1, 2, 3, 4, 5};  // every text writer, then the path file
  for (size_t blocked : blocked_at) {
    SCOPED_TRACE(kWriteOrder[blocked]);
    Scratch s;
    fs::create_directory(s / kWriteOrder[blocked]);
    const Result r = s.run({"--dir", "."});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(kWriteOrder[blocked]), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_directory(s / kWriteOrder[blocked]));
    for (size_t i = 0; i < blocked; ++i) {
      // The compiler has consumed the two sources by the time a compiled file is written.
      if (blocked == 5 && i < 2) continue;
      EXPECT_TRUE(fs::is_regular_file(s / kWriteOrder[i])) << kWriteOrder[i] << " is missing";
    }
    for (size_t i = blocked + 1; i < std::size(kWriteOrder); ++i) {
      EXPECT_FALSE(fs::exists(s / kWriteOrder[i])) << kWriteOrder[i] << " was written";
    }
  }
}

}  // namespace
}  // namespace compactor::e2e
