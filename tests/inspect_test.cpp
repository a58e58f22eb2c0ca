// inspect and diff as a user runs them: on the built-in run's files, on a
// service moved by one signal, and on damaged and foreign files.
#include <set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "model/coding.h"
#include "model/decoder.h"
#include "tests/harness.h"

namespace compactor::e2e {
namespace {

const std::string kPathFile = "Lavena_Codrano2_linea.dat";
const std::string kTableFile = "Lavena_Codrano2_ES 2718.sim";
const std::string kTrackFile = "Lavena_Codrano2_ES 2718.dat";
const std::string kLineSource = "Lavena_Codrano2_linea.txt";
const std::string kServiceSource = "Lavena_Codrano2_ES 2718-.txt";

class Inspect : public ::testing::Test {
 protected:
  // The built-in run's compiled files in s/DIR.
  void built_in(const std::string& dir) {
    fs::create_directories(s / dir);
    const Result r = s.run({"--dir", dir});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  Scratch s;
};

TEST_F(Inspect, ACompiledDirectoryIsTheSameAsItself) {
  built_in("a");
  const Result r = s.run({"diff", "a", "a"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  const Result j = s.run({"diff", "a", "a", "--json"});
  EXPECT_EQ(j.status, 0);
  EXPECT_EQ(j.out, "{\"same\": true, \"differences\": []}\n");
}

TEST_F(Inspect, ASignalMovedBy100MetresChangesExactlyItsCells) {
  fs::create_directories(s / "src");
  ASSERT_EQ(s.run({"export", "--dir", "src"}).status, 0);
  const std::string service = slurp(s / "src" / kServiceSource);
  const std::string row = "segnale,   17230,";
  ASSERT_NE(service.find(row), std::string::npos);
  std::string moved = service;
  moved.replace(moved.find(row), row.size(), "segnale,   17330,");
  spit(s / "moved.txt", moved);
  fs::create_directories(s / "a");
  fs::create_directories(s / "b");
  ASSERT_EQ(s.run({"compile", "src/" + kLineSource, "src/" + kServiceSource, "--dir", "a"}).status, 0);
  ASSERT_EQ(s.run({"compile", "src/" + kLineSource, "moved.txt", "--dir", "b"}).status, 0);

  const Result r = s.run({"diff", "a", "b"});
  EXPECT_EQ(r.status, 1) << r.err;
  // The signal leaves cell 346 for 348, and its approach codes, two cells
  // apart before it, move with it.
  EXPECT_EQ(r.out,
            "track cell 338 (16900 m) approach: 84 -> 0\n"
            "track cell 340 (17000 m) approach: 83 -> 84\n"
            "track cell 342 (17100 m) approach: 82 -> 83\n"
            "track cell 344 (17200 m) approach: 81 -> 82\n"
            "track cell 346 (17300 m) kind: 1 -> 0\n"
            "track cell 346 (17300 m) paramA: 42 -> 0\n"
            "track cell 346 (17300 m) paramB: 11 -> 0\n"
            "track cell 346 (17300 m) paramC: 11 -> 0\n"
            "track cell 346 (17300 m) paramD: 8 -> 0\n"
            "track cell 346 (17300 m) approach: 0 -> 81\n"
            "track cell 348 (17400 m) kind: 0 -> 1\n"
            "track cell 348 (17400 m) paramA: 0 -> 42\n"
            "track cell 348 (17400 m) paramB: 0 -> 11\n"
            "track cell 348 (17400 m) paramC: 0 -> 11\n"
            "track cell 348 (17400 m) paramD: 0 -> 8\n");

  // The cells listed are exactly those whose bytes differ.
  const Decoded<TrackCells> a = decode_track_file(slurp(s / "a" / kTrackFile));
  const Decoded<TrackCells> b = decode_track_file(slurp(s / "b" / kTrackFile));
  ASSERT_TRUE(a.ok() && b.ok());
  std::set<int64_t> changed, listed;
  for (size_t i = 0; i < a.value->size(); ++i) {
    if (!((*a.value)[i] == (*b.value)[i])) changed.insert(static_cast<int64_t>(i));
  }
  const Result j = s.run({"diff", "a", "b", "--json"});
  EXPECT_EQ(j.status, 1);
  const nlohmann::json parsed = nlohmann::json::parse(j.out);
  EXPECT_FALSE(parsed["same"].get<bool>());
  for (const auto& d : parsed["differences"]) {
    EXPECT_EQ(d["file"], "track");
    listed.insert(d["cell"].get<int64_t>());
  }
  EXPECT_EQ(listed, changed);
}

TEST_F(Inspect, AFileOnOneSideOnlyIsADifference) {
  built_in("a");
  built_in("b");
  fs::remove(s / "b" / kPathFile);
  const Result r = s.run({"diff", "a", "b"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, "path file: only in A\n");
  // Two files of one kind compare as well.
  EXPECT_EQ(s.run({"diff", "a/" + kTableFile, "b/" + kTableFile}).status, 0);
}

TEST_F(Inspect, JsonOfTheBuiltInRunsThreeFiles) {
  built_in("a");
  const Result r = s.run({"inspect", "a/" + kTrackFile, "a/" + kTableFile, "a/" + kPathFile, "--json", "--all"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::string track, table, path, more;
  ASSERT_TRUE(std::getline(lines, track) && std::getline(lines, table) && std::getline(lines, path));
  EXPECT_FALSE(std::getline(lines, more));
  const nlohmann::json t = nlohmann::json::parse(track);
  EXPECT_EQ(t["type"], "track");
  EXPECT_EQ(t["last_cell"], 4960);
  EXPECT_EQ(t["cells"].size(), 4961u);
  EXPECT_EQ(t["cells"][1]["paramA"], 5121);
  const nlohmann::json e = nlohmann::json::parse(table);
  EXPECT_EQ(e["entries"].size(), 87u);
  EXPECT_EQ(e["entries"][86]["text"], "ES 2718");
  const nlohmann::json p = nlohmann::json::parse(path);
  EXPECT_EQ(p["points"], 248001);
  ASSERT_EQ(p["x"].size(), 248001u);
  EXPECT_EQ(p["y"][1], 1);
  EXPECT_TRUE(p["x"][248000].is_null());
  // Every real reads back to the bits of the file.
  const Decoded<Path> decoded = decode_path_file(slurp(s / "a" / kPathFile));
  ASSERT_TRUE(decoded.ok());
  size_t wrong = 0;
  for (size_t i = 2; i < 247999; ++i) {
    if (p["x"][i].get<double>() != decoded.value->x[i] || p["y"][i].get<double>() != decoded.value->y[i]) ++wrong;
  }
  EXPECT_EQ(wrong, 0u);
}

TEST_F(Inspect, TheTextOfTheBuiltInRunsFiles) {
  built_in("a");
  const Result r = s.run({"inspect", "a/" + kTableFile, "a/" + kTrackFile, "a/" + kPathFile, "--points", "0:2"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* line : {
           "a/Lavena_Codrano2_ES 2718.dat: track file, 4961 cells, last cell 4960: a line of 241050 m, within 50 m\n",
           "line and train data (84): braked mass 135 %, line length 241000 m, coaches 12\n",
           "stamp 5121 (cell 1 paramA): 5121, matches\n",
           "a/Lavena_Codrano2_linea.dat: path file, 248001 points (path end 248000: a line of 241000 m)\n",
           "tags: points 0 and 1 16-bit integers, points 2 to 247998 reals, points 247999 to 248000 empty\n",
           "curved stretches: 64\n",
           "      900      1900      1000  s     3      -0.0004\n",
           "point 0: x 0, y 0 (16-bit integers)\npoint 1: x 0, y 1 (16-bit integers)\npoint 2: x 0, y 2\n",
       }) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(r.out.find("DOES NOT MATCH"), std::string::npos) << r.out;
}

std::string u16(uint16_t v) {
  std::string b(2, '\0');
  coding::put_u16(b.data(), v);
  return b;
}

TEST_F(Inspect, DamagedAndForeignFilesSayWhereAndExit2) {
  built_in("a");
  const std::string path = slurp(s / "a" / kPathFile);
  const std::string table = slurp(s / "a" / kTableFile);
  const std::string track = slurp(s / "a" / kTrackFile);
  const size_t half = path.size() / 2;
  std::string unknown_tag = path;
  unknown_tag.replace(8 + 10 * 500, 2, u16(7));  // point 502 of x
  std::string long_count = table;
  long_count.replace(14, 2, u16(4000));  // entry 0's text count
  fs::create_directories(s / "dir.dat");
  struct Case {
    std::string file, bytes, err;
  };
  const std::vector<Case> cases = {
      {"empty.dat", "", "empty.dat: not a compiled track file: empty file at byte 0\n"},
      {"dir.dat", "", "dir.dat: not a compiled track file: a directory at byte 0\n"},
      {"missing.sim", "", "missing.sim: not a compiled table file: no such file at byte 0\n"},
      {"short.dat", track.substr(0, 74414),
       "short.dat: not a compiled track file: a size of 74414 bytes, not a multiple of 15: the last cell is "
       "cut short at byte 74400\n"},
      {"tag_linea.dat", unknown_tag, "tag_linea.dat: not a compiled path file: unknown tag 7 at point 502 of x at byte 5008\n"},
      {"halves_linea.dat", path.substr(0, half) + path.substr(half, half - 2),
       "halves_linea.dat: not a compiled path file: the two halves differ in length: x holds 248001 points, y "
       "248000 at byte " + std::to_string(half) + "\n"},
      {"cut_linea.dat", path.substr(0, path.size() - 1),
       "cut_linea.dat: not a compiled path file: a tag is cut short by the end of the file at byte " +
           std::to_string(path.size() - 2) + "\n"},
      {"count.sim", long_count,
       "count.sim: not a compiled table file: the text of entry 0, 4000 bytes, runs past the end of the file "
       "at byte 14\n"},
      {"over.sim", table + "\r\n",
       "over.sim: not a compiled table file: 2 bytes left over after the 87 entries at byte " +
           std::to_string(table.size()) + "\n"},
      {"track_as.sim", track,
       "track_as.sim: not a compiled table file: the text of entry 11, 20992 bytes, runs past the end of the "
       "file at byte 70164\n"},
  };
  for (const Case& c : cases) {
    if (c.file != "dir.dat" && c.file != "missing.sim") spit(s / c.file, c.bytes);
    const Result r = s.run({"inspect", c.file});
    EXPECT_EQ(r.status, 2) << c.file;
    EXPECT_EQ(r.err, c.err) << c.file;
    EXPECT_EQ(r.out, "") << c.file;
  }
  // A side that is not there is trouble too.
  const Result gone = s.run({"diff", "a", "nowhere"});
  EXPECT_EQ(gone.status, 2);
  EXPECT_EQ(gone.err, "compactor: nowhere: no such file or directory\n");
  // A damaged file on one side of a diff is trouble, not a difference.
  spit(s / "a" / kTrackFile, track.substr(0, 100));
  built_in("b");
  const Result r = s.run({"diff", "b", "a"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "a/" + kTrackFile +
                       ": not a compiled track file: a size of 100 bytes, not a multiple of 15: the last cell is cut "
                       "short at byte 90\n");
}

TEST_F(Inspect, UsageErrorsExit64) {
  built_in("a");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"inspect"},
           {"inspect", "notes.txt"},
           {"inspect", "a/" + kTrackFile, "--points", "9:2"},
           {"inspect", "a/" + kTrackFile, "--as", "map"},
           {"diff", "a"},
           {"diff", "a", "a/" + kTrackFile},
           {"diff", "a/" + kTrackFile, "a/" + kTableFile},
           {"diff", "a", "a", "--train-b", "x/y"},
       }) {
    const Result r = s.run(args);
    EXPECT_EQ(r.status, 64) << ::testing::PrintToString(args) << r.err;
  }
  // --as reads a file of any name.
  fs::copy_file(s / "a" / kTableFile, s / "table.bin");
  EXPECT_EQ(s.run({"inspect", "table.bin", "--as", "table"}).status, 0);
}

}  // namespace
}  // namespace compactor::e2e
