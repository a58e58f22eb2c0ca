// What the three crew documents share: a row table ended by the end marker,
// written as CR LF lines under the scenario's and the train's names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "driver/row_table_lines.h"
#include "documents/notes.h"
#include "documents/slowdown_order.h"
#include "documents/train_sheet.h"
#include "driver/files.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

struct Document {
  const char* name;
  const RowTable& (*rows)();
  void (*write)(const std::string&, const Names&);
  size_t lines;
  const char* file_name;  // for the built-in names
};

const Document kDocuments[] = {
    {"notes", notes_rows, dati_note, 12, "Lavena_Codrano2_ES 2718_note.txt"},
    {"slowdown order", slowdown_order_rows, dati_rallentamenti, 46,
     "Lavena_Codrano2_ES 2718_rallentamenti.txt"},
    {"train sheet", train_sheet_rows, dati_scheda, 202, "Lavena_Codrano2_ES 2718_scheda_treno.txt"},
};

TEST(CrewDocumentsTest, RowTableEndsWithTheMarkerAfterItsLines) {
  for (const Document& d : kDocuments) {
    SCOPED_TRACE(d.name);
    const RowTable& rows = d.rows();
    ASSERT_EQ(rows.size(), d.lines + 1);
    EXPECT_EQ(rows.back(), kEndMarker);
    for (size_t i = 0; i < d.lines; ++i) EXPECT_NE(rows[i], kEndMarker) << "row " << i;
    EXPECT_LE(rows.size(), kRowTableCapacity);
  }
}

TEST(CrewDocumentsTest, FileHoldsTheLinesWithCrLfAndNoMarker) {
  for (const Document& d : kDocuments) {
    SCOPED_TRACE(d.name);
    const std::string bytes = render_rows(d.rows());
    EXPECT_EQ(testing::split_crlf(bytes).size(), d.lines);
    EXPECT_EQ(bytes.find("riferimento"), std::string::npos);
  }
}

class CrewDocumentsWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("compactor_documents_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(CrewDocumentsWriteTest, ReplacesAnEarlierFileOfTheSameName) {
  const Names names;
  for (const Document& d : kDocuments) {
    SCOPED_TRACE(d.name);
    const fs::path path = dir_ / d.file_name;
    std::ofstream(path, std::ios::binary) << std::string(100000, 'x');
    d.write(dir_.string(), names);
    EXPECT_EQ(read_file(path.string()), render_rows(d.rows()));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

TEST_F(CrewDocumentsWriteTest, NamesTheFileAfterOtherScenarioAndTrainNames) {
  Names names;
  names.scenario = "Prova";
  names.train = "R 1";
  dati_note(dir_.string(), names);
  dati_rallentamenti(dir_.string(), names);
  dati_scheda(dir_.string(), names);
  EXPECT_TRUE(fs::exists(dir_ / "Prova_R 1_note.txt"));
  EXPECT_TRUE(fs::exists(dir_ / "Prova_R 1_rallentamenti.txt"));
  // The sheet's content does not follow the names: it is the same fixed text.
  EXPECT_EQ(read_file((dir_ / "Prova_R 1_scheda_treno.txt").string()), render_rows(train_sheet_rows()));
}

}  // namespace
}  // namespace compactor
