#include "driver/files.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "driver/row_table.h"
#include "driver/scratch_dir.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::scratch_dir("files");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  size_t entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  fs::path dir_;
};

void put(ByteSink& out, const std::string& s) { out.write(s.data(), s.size()); }

TEST_F(FilesTest, ReplacesALongerFileWhole) {
  replace_file(path("f"), [](ByteSink& out) { put(out, std::string(1000, 'x')); });
  replace_file(path("f"), [](ByteSink& out) { put(out, "short"); });
  EXPECT_EQ(read_file(path("f")), "short");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(FilesTest, AFailureWhileWritingLeavesTheEarlierFileAndNoTemporary) {
  replace_file(path("f"), [](ByteSink& out) { put(out, "earlier"); });
  EXPECT_THROW(replace_file(path("f"),
                            [](ByteSink& out) {
                              put(out, "half");
                              throw FileError("f", "disk full");
                            }),
               FileError);
  EXPECT_EQ(read_file(path("f")), "earlier");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(FilesTest, ADirectoryInTheWayIsAFileErrorAndLeavesNoTemporary) {
  fs::create_directory(path("d"));
  try {
    replace_file(path("d"), [](ByteSink& out) { put(out, "x"); });
    FAIL() << "expected a FileError";
  } catch (const FileError& e) {
    EXPECT_EQ(e.path(), path("d"));
  }
  EXPECT_TRUE(fs::is_directory(path("d")));
  EXPECT_EQ(entries(), 1u);
}

TEST_F(FilesTest, AMissingDirectoryIsAFileError) {
  EXPECT_THROW(replace_file(path("no/f"), [](ByteSink&) {}), FileError);
  EXPECT_THROW(read_file(path("missing")), FileError);
  EXPECT_THROW(read_file(dir_.string()), FileError);
}

TEST(RowTableTest, WritesRowsUpToTheEndMarkerWithCrLf) {
  const RowTable rows = {"a", "", "b  ", std::string(kEndMarker), "never"};
  EXPECT_EQ(render_rows(rows), "a\r\n\r\nb  \r\n");
  EXPECT_EQ(render_rows({std::string(kEndMarker)}), "");
}

}  // namespace
}  // namespace compactor
