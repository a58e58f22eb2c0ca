// Bad input, as a user meets it on the command line: every source that is
// half-written, from another editor or simply the wrong file ends in one of
// the compiler's codes or a clear message and a defined exit status, never in
// a crash, a hang, or an earlier compiled file lost or half-written.
#include <chrono>
#include <functional>
#include <set>

#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/harness.h"

namespace compactor::e2e {
namespace {

const char* kPathFile = "Lavena_Codrano2_linea.dat";
const char* kTableFile = "Lavena_Codrano2_ES 2718.sim";
const char* kTrackFile = "Lavena_Codrano2_ES 2718.dat";

// A line description of `length` metres whose feature section holds `rows`.
std::string line_of(long length, const std::string& rows = "") {
  return "[generale]\r\nlunghezza percorso,    " + std::to_string(length) + "\r\n[linea]\r\n" + rows;
}
std::string service_of(const std::string& rows) { return "[generale]\r\n" + rows; }

std::string repeat(int n, const std::function<std::string(int)>& row) {
  std::string out;
  for (int i = 0; i < n; ++i) out += row(i);
  return out;
}

std::string tunnels(int n) {
  return repeat(n, [](int i) {
    return "montagna, " + std::to_string(1000 + 1000 * i) + ", " + std::to_string(1200 + 1000 * i) +
           ", 11\r\n";
  });
}
std::string boards(int n) {
  return repeat(n, [](int i) {
    return "cartello_indicatore, " + std::to_string(1000 + 1000 * i) + ", (Km " + std::to_string(i) +
           ")\r\n";
  });
}
// Stations of type 28 (a platform and no cell), 1000 m apart.
std::string stations(int n) {
  return repeat(n, [](int i) {
    return "stazione, " + std::to_string(1000 + 1000 * i) +
           ", 28, 200, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 16, 13, 0, S" + std::to_string(i) + "\r\n";
  });
}
std::string station_row(const std::string& values) {
  return "stazione, " + values + ", 16, 13, 0, Lavena\r\n";
}

// Entries the run left in a directory that are not `expected`.
std::vector<std::string> leftovers(const fs::path& dir, const std::set<std::string>& expected) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (!expected.count(name)) out.push_back(name);
  }
  return out;
}

struct BadSource {
  const char* what;
  std::string line;
  std::string service;
  int status;         // exit status
  int code;           // the error code the JSON report gives
  std::string found;  // a piece of the report: message, position or file
};

// Every row of this table runs `compile line.txt svc.txt --json`.
std::vector<BadSource> bad_sources() {
  const std::string mb5(5 << 20, 'x');
  const std::string nul(1, '\0');
  const std::string ok_line = line_of(10000);
  const std::string ok_service = service_of("velocita, 0, 100\r\n");
  return {
      // Empty, garbage and NUL bytes.
      {"empty line description", "", ok_service, 2, 102, "has no \\\"[generale]\\\""},
      {"empty service description", ok_line, "", 0, 0, "\"written\": [\"Lavena"},
      {"binary garbage", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe\x80,\x01\n\x90", 17),
       ok_service, 2, 102, "[generale]"},
      {"NUL bytes after the header", "[generale]\r\n" + nul + nul + nul + "," + nul + "\r\n" + nul,
       ok_service, 2, 25, "lunghezza percorso"},
      {"NUL byte inside the line length", "[generale]\r\nlunghezza percorso, 24" + nul + "1000\r\n",
       ok_service, 2, 25, "found \\\"24\\\\x001000"},
      {"NUL byte inside a service number", ok_line, service_of("velocita, 0" + nul + ", 100\r\n"), 1,
       25, "a number was expected"},
      // Other editors.
      {"byte-order mark before [generale]", "\xEF\xBB\xBF" + ok_line, "\xEF\xBB\xBF" + ok_service,
       0, 0, "\"diagnostics\": []"},
      {"lines ending in CR alone: one long line, no length row",
       "[generale]\rlunghezza percorso, 1000\r[linea]\r", ok_service, 2, 25, "lunghezza percorso"},
      {"a lone CR does not end a number", ok_line, "[generale]\r\nvelocita, 0, 115\rsabbia, 60\r\n",
       1, 25, "a number was expected, found \\\"115\\\\x0dsabbia"},
      {"a key of 5 MB on one line", "[generale]\r\n" + mb5 + "\r\nlunghezza percorso, 1000\r\n",
       ok_service, 0, 0, "\"diagnostics\": []"},
      {"a direction board text of 5 MB", line_of(10000, "cartello_indicatore, 1000, " + mb5 + "\r\n"),
       ok_service, 1, 25, "longer than 65535 bytes"},
      {"a station name of 5 MB", ok_line,
       service_of("stazione, 1000, 28, 200, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1, 16, 13, 0, " + mb5 + "\r\n"),
       1, 25, "longer than 65535 bytes"},
      {"a number of 5 MB of digits", "[generale]\r\nlunghezza percorso, " + std::string(5 << 20, '9'),
       ok_service, 2, 25, "does not fit a signed 32-bit value"},
      // Every width overflowed, and negatives.
      {"line length above 32 bits", line_of(2147483648L), ok_service, 2, 25, "does not fit"},
      {"negative line length", line_of(-1), ok_service, 2, 25, "negative line length"},
      {"32-bit position overflowed", ok_line, service_of("velocita, 2147483648, 100\r\n"), 1, 25,
       "does not fit a signed 32-bit value"},
      {"32-bit value underflowed", ok_line,
       service_of("segnale, 2000, 2, 4, 0, 0, 0, 0, 0, 0, 0, -2147483649\r\n"), 1, 25,
       "does not fit a signed 32-bit value"},
      {"16-bit sand overflowed", ok_line, service_of("sabbia, 32768\r\n"), 1, 25,
       "does not fit a signed 16-bit value"},
      {"16-bit clock underflowed", ok_line, service_of("orologio, 16 12 -32769\r\n"), 1, 25,
       "does not fit a signed 16-bit value"},
      {"16-bit limits fit", ok_line, service_of("sabbia, 32767\r\norologio, -32768 0 0\r\n"), 0, 0,
       "\"diagnostics\": []"},
      {"8-bit station type overflowed", ok_line,
       service_of(station_row("1000, 256, 200, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1")), 1, 25,
       "does not fit an unsigned 8-bit value"},
      {"8-bit station value negative", ok_line,
       service_of(station_row("1000, 28, 200, -1, 0, 0, 1, 1, 0, 4, 1, 1, 1")), 1, 25,
       "does not fit an unsigned 8-bit value"},
      {"16-bit station value overflowed", ok_line,
       service_of(station_row("1000, 28, 200, 0, 0, 0, 32768, 1, 0, 4, 1, 1, 1")), 1, 25,
       "does not fit a signed 16-bit value"},
      {"indicator value beyond 16 bits", line_of(10000, "indicatori_vmax, 1000, 1639, 0, 0, 0, 5, 0, 0, 0\r\n"),
       ok_service, 1, 25, "does not fit 16 bits"},
      {"negative speed", ok_line, service_of("velocita, 0, -5\r\n"), 1, 25,
       "does not fit a speed step"},
      {"speed whose fifth passes 255", ok_line, service_of("velocita, 0, 1300\r\n"), 1, 25,
       "does not fit a speed step"},
      // Positions.
      {"negative gradient position writes nothing", line_of(10000, "pendenza, -100, 5\r\n"),
       ok_service, 0, 0, "\"diagnostics\": []"},
      {"negative signal position", ok_line,
       service_of("segnale, -100, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0\r\n"), 1, 25,
       "cell -1 lies outside the track"},
      {"negative board position", line_of(10000, "cartello_indicatore, -100, (Km 0)\r\n"), ok_service,
       1, 25, "cell -1 lies outside the track"},
      {"negative speed reduction point", ok_line, service_of("abbattimento, -75, 100\r\n"), 1, 25,
       "cell -2 lies outside the track"},
      {"signal beyond the track", line_of(1000),
       service_of("segnale, 8000, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0\r\n"), 1, 15,
       "\"error_position\": 8000"},
      {"signal at the track's very end", line_of(1000),
       service_of("segnale, 7900, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0\r\n"), 0, 0, "\"diagnostics\": []"},
      {"station at the track's very end", line_of(1000),
       service_of(station_row("7200, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1")), 0, 0,
       "\"diagnostics\": []"},
      {"station one step beyond", line_of(1000),
       service_of(station_row("7250, 12, 400, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1")), 1, 15,
       "\"error_position\": 7250"},
      {"tunnel reaching past the track is cut there", line_of(1000, "montagna, 1000, 50000, 11\r\n"),
       ok_service, 0, 0, "\"diagnostics\": []"},
      {"slowdown longer than the line", line_of(1000),
       service_of("rallentamento, 2000, 60, 2147483647, 0, 1, 60\r\n"), 1, 25,
       "lies outside the track"},
      {"slowdown of negative length", line_of(10000),
       service_of("rallentamento, 3000, 60, -2147483648, 0, 1, 60\r\n"), 1, 25,
       "lies outside the track"},
      {"platform reaching past the last cell", line_of(1000),
       service_of(station_row("7200, 7, 10000, 0, 0, 0, 1, 1, 0, 4, 1, 1, 1")), 1, 25,
       "lies outside the track"},
      {"gradient rows past the last cell", line_of(0, repeat(200, [](int) { return "pendenza, 0, 1\r\npendenza, 50, 1\r\n"; })),
       ok_service, 1, 25, "lies outside the track"},
      // Counts.
      {"80 tunnels", line_of(100000, tunnels(80)), ok_service, 0, 0, "\"diagnostics\": []"},
      {"81 tunnels", line_of(100000, tunnels(81)), ok_service, 1, 25, "more than 80 tunnels"},
      {"80 direction boards", line_of(100000, boards(80)), ok_service, 0, 0, "\"diagnostics\": []"},
      {"81 direction boards", line_of(100000, boards(81)), ok_service, 1, 25,
       "more than 80 direction boards"},
      {"76 stations with two boards", line_of(100000, boards(2)), service_of(stations(76)), 0, 0,
       "\"diagnostics\": []"},
      {"77 stations with two boards", line_of(100000, boards(2)), service_of(stations(77)), 1, 10,
       "station table full"},
      {"a station after 80 boards", line_of(100000, boards(80)), service_of(stations(1)), 1, 10,
       "station table full"},
      // Line lengths.
      {"line length 0", line_of(0), ok_service, 0, 0, "\"diagnostics\": []"},
      {"line length 1", line_of(1), ok_service, 0, 0, "\"diagnostics\": []"},
      {"line length 1000001", line_of(1000001), ok_service, 2, 1, "line length above 1000000 m"},
  };
}

class BadInput : public ::testing::Test {
 protected:
  Scratch s;
};

TEST_F(BadInput, EveryBadSourceEndsInItsCodeAndExitStatus) {
  for (const BadSource& c : bad_sources()) {
    SCOPED_TRACE(c.what);
    spit(s / "line.txt", c.line);
    spit(s / "svc.txt", c.service);
    const Result r = s.run({"compile", "line.txt", "svc.txt", "--json"});
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_NE(r.out.find("{\"error_code\": " + std::to_string(c.code) + ","), std::string::npos)
        << r.out.substr(0, 2000);
    EXPECT_NE(r.out.find(c.found), std::string::npos) << r.out.substr(0, 2000);
    EXPECT_EQ(r.err, "");
    // Files are written exactly when the status says so.
    EXPECT_EQ(fs::exists(s / kTrackFile), c.status != 2);
    for (const char* f : {kPathFile, kTableFile, kTrackFile}) fs::remove(s / f);
  }
}

TEST_F(BadInput, TheLongestLineCompilesInSecondsIntoItsFullSizedFiles) {
  spit(s / "line.txt", line_of(1000000, "curvad3, 1000, 500000\r\n"));
  spit(s / "svc.txt", service_of("velocita, 0, 100\r\n"));
  const auto start = std::chrono::steady_clock::now();
  const Result r = s.run({"compile", "line.txt", "svc.txt"});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_LT(seconds, 30.0);
  // Path end 1007000: each half is 4 + 4 + 10 x 1006997 + 2 + 2 bytes.
  EXPECT_EQ(fs::file_size(s / kPathFile), 2u * (12u + 10u * 1006997u));
  EXPECT_EQ(fs::file_size(s / kTrackFile), 15u * 20141u);
}

TEST_F(BadInput, AMillionRowsCompileInSeconds) {
  std::string service = "[generale]\r\n";
  service.reserve(30u << 20);
  for (int i = 0; i < 1000000; ++i) {
    service += i % 2 ? "aderenza, 0, 100\r\n" : "orologio,    16              12            40 \r\n";
  }
  spit(s / "line.txt", line_of(1000000));
  spit(s / "svc.txt", service);
  const auto start = std::chrono::steady_clock::now();
  const Result r = s.run({"compile", "line.txt", "svc.txt", "--no-path"});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_LT(seconds, 30.0);
}

// File-system faults. Every case starts from earlier compiled files and
// checks that each one is either whole and new or untouched, that no
// temporary file is left and that the message names the file and the reason.
class FileFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    spit(s / "line.txt", line_of(10000));
    spit(s / "svc.txt", service_of("velocita, 0, 100\r\n"));
  }
  void earlier_files(const fs::path& dir) {
    for (const char* f : {kPathFile, kTableFile, kTrackFile}) spit(dir / f, std::string("earlier ") + f);
  }
  bool untouched(const fs::path& dir, const char* f) {
    return slurp(dir / f) == std::string("earlier ") + f;
  }
  // Sizes of the files of the 10000 m line: path end 17000, last cell 340.
  static constexpr uintmax_t kPathSize = 2 * (12 + 10 * 16997);
  static constexpr uintmax_t kTrackSize = 15 * 341;

  // A prefix that runs the executable as a user who cannot write what root
  // can; empty when the tests do not run as root (permissions apply then).
  std::string other_user() {
    if (geteuid() != 0) return "";
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0) return "none";
    return "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  Scratch s;
};

TEST_F(FileFaults, AMissingOutputDirectoryStopsBeforeWriting) {
  const Result r = s.run({"compile", "line.txt", "svc.txt", "--dir", "missing"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("missing/Lavena_Codrano2_linea.dat: cannot create: No such file or directory"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(s / "missing"));
}

TEST_F(FileFaults, AReadOnlyOutputDirectoryKeepsItsEarlierFiles) {
  const std::string prefix = other_user();
  if (prefix == "none") GTEST_SKIP() << "running as root without setpriv: no way to make a directory read-only";
  fs::create_directory(s / "ro");
  earlier_files(s / "ro");
  fs::permissions(s / "ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  if (std::system(("cd " + quote(s.dir().string()) + " && " + prefix + "touch ro/probe 2>/dev/null").c_str()) == 0) {
    GTEST_SKIP() << "the directory stays writable for the other user";
  }
  const Result r = s.run({"compile", "line.txt", "svc.txt", "--dir", "ro"}, prefix);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("ro/Lavena_Codrano2_linea.dat: cannot create: Permission denied"), std::string::npos)
      << r.err;
  for (const char* f : {kPathFile, kTableFile, kTrackFile}) EXPECT_TRUE(untouched(s / "ro", f)) << f;
  EXPECT_EQ(leftovers(s / "ro", {kPathFile, kTableFile, kTrackFile}), std::vector<std::string>{});
}

TEST_F(FileFaults, AnUnreadableSourceStopsBeforeWriting) {
  const std::string prefix = other_user();
  if (prefix == "none") GTEST_SKIP() << "running as root without setpriv: no way to make a file unreadable";
  fs::permissions(s / "svc.txt", fs::perms::none);
  const Result r = s.run({"compile", "line.txt", "svc.txt", "--dir", "out"}, prefix);
  fs::permissions(s / "svc.txt", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("svc.txt: cannot open: Permission denied"), std::string::npos) << r.err;
}

// A source of unbounded size is refused once it passes 256 MiB, before it
// can take the machine's memory: an endless device, or a huge (sparse) file
// refused by its size alone.
TEST_F(FileFaults, ASourceOfUnboundedSizeIsRefused) {
  {
    std::ofstream(s / "huge.txt");
  }
  fs::resize_file(s / "huge.txt", uintmax_t{300} << 20);
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"compile", "/dev/zero", "svc.txt"}, "/dev/zero: larger than 256 MiB, too large for a source"},
      {{"compile", "line.txt", "huge.txt"}, "huge.txt: larger than 256 MiB, too large for a source"},
  };
  for (const auto& c : cases) {
    const Result r = s.run(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(s / kTrackFile));
  }
}

TEST_F(FileFaults, ADirectoryWhereAnOutputFileGoesStopsAtThatFile) {
  earlier_files(s.dir());
  fs::remove(s / kTableFile);
  fs::create_directory(s / kTableFile);
  const Result r = s.run({"compile", "line.txt", "svc.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Lavena_Codrano2_ES 2718.sim: cannot replace: Is a directory"), std::string::npos)
      << r.err;
  EXPECT_EQ(fs::file_size(s / kPathFile), kPathSize);  // written before the table
  EXPECT_TRUE(fs::is_directory(s / kTableFile));
  EXPECT_TRUE(untouched(s.dir(), kTrackFile));
  EXPECT_EQ(leftovers(s.dir(), {"line.txt", "svc.txt", kPathFile, kTableFile, kTrackFile}),
            std::vector<std::string>{});
}

// A file-size limit stands for a full disk: the write that passes it fails.
TEST_F(FileFaults, AFullDiskWhileWritingEachCompiledFile) {
  const struct {
    const char* failing;
    int blocks;  // the limit, in the shell's 512-byte blocks
    bool no_path;
  } cases[] = {
      {kPathFile, 100, false},  // the path file needs 339964 bytes
      {kTableFile, 4, true},    // the table file needs 2980
      {kTrackFile, 8, true},    // the table fits in 4096, the track needs 5115
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.failing);
    earlier_files(s.dir());
    std::vector<std::string> args = {"compile", "line.txt", "svc.txt"};
    if (c.no_path) args.push_back("--no-path");
    const Result r = s.run(args, "ulimit -f " + std::to_string(c.blocks) + " && ");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(std::string(c.failing) + ": cannot write: File too large"), std::string::npos)
        << r.err;
    // Before the failing file: new and whole; the failing one and after: earlier.
    bool reached = false;
    for (const char* f : {kPathFile, kTableFile, kTrackFile}) {
      if (f == std::string(c.failing)) reached = true;
      if (reached || (c.no_path && f == std::string(kPathFile))) {
        EXPECT_TRUE(untouched(s.dir(), f)) << f;
      } else {
        EXPECT_FALSE(untouched(s.dir(), f)) << f;
      }
    }
    if (c.failing == std::string(kTrackFile)) {
      EXPECT_EQ(fs::file_size(s / kTableFile), 2980u);
    }
    EXPECT_EQ(leftovers(s.dir(), {"line.txt", "svc.txt", kPathFile, kTableFile, kTrackFile}),
              std::vector<std::string>{});
  }
}

TEST_F(FileFaults, AFullDiskInTheBuiltInRunStopsAtItsFirstText) {
  // The limit would stop the message too if it went to a file: it goes
  // through a pipe, from a shell that alone carries the limit.
  const std::string cmd = "cd " + quote(s.dir().string()) + " && (ulimit -f 0; " + quote(COMPACTOR_EXE) +
                          " --dir . 2>&1 >/dev/null; echo \"status $?\") | cat >.err";
  std::system(("sh -c " + quote(cmd)).c_str());
  const std::string err = slurp(s / ".err");
  fs::remove(s / ".err");
  EXPECT_NE(err.find("Lavena_Codrano2_linea.txt: cannot write: File too large"), std::string::npos) << err;
  EXPECT_NE(err.find("status 2"), std::string::npos) << err;
  EXPECT_EQ(leftovers(s.dir(), {"line.txt", "svc.txt"}), std::vector<std::string>{});
}

// Runs `args` twice at once from the scratch directory; returns both statuses.
std::pair<int, int> twice_at_once(const Scratch& s, const std::string& args) {
  const std::string exe = quote(COMPACTOR_EXE) + " " + args;
  const std::string cmd = "cd " + quote(s.dir().string()) + " && (" + exe + " >/dev/null 2>&1; echo $? >.a) & (" +
                          "cd " + quote(s.dir().string()) + " && " + exe + " >/dev/null 2>&1; echo $? >.b) & wait";
  std::system(("sh -c " + quote(cmd)).c_str());
  const int a = std::atoi(slurp(s / ".a").c_str());
  const int b = std::atoi(slurp(s / ".b").c_str());
  fs::remove(s / ".a");
  fs::remove(s / ".b");
  return {a, b};
}

TEST_F(FileFaults, TwoCompilesIntoOneDirectoryAtOnceBothWriteWholeFiles) {
  ASSERT_EQ(s.run({"compile", "line.txt", "svc.txt", "--dir", "."}).status, 0);
  const std::string track = slurp(s / kTrackFile), table = slurp(s / kTableFile);
  for (int round = 0; round < 3; ++round) {
    const auto [a, b] = twice_at_once(s, "compile line.txt svc.txt");
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(fs::file_size(s / kPathFile), kPathSize);
    EXPECT_EQ(slurp(s / kTrackFile), track);
    EXPECT_EQ(slurp(s / kTableFile), table);
    EXPECT_EQ(leftovers(s.dir(), {"line.txt", "svc.txt", kPathFile, kTableFile, kTrackFile}),
              std::vector<std::string>{});
  }
}

// Two built-in runs share their transient sources: one may delete them
// before the other reads them. The other then stops (status 2) without
// touching a compiled file; it never compiles without its service
// description. Whatever the interleaving, every file left is whole and the
// compiled files are those of a clean run.
TEST_F(FileFaults, TwoBuiltInRunsAtOnceLeaveOnlyWholeFiles) {
  ASSERT_EQ(s.run({"--dir", "."}).status, 0);
  const std::string track = slurp(s / kTrackFile), table = slurp(s / kTableFile);
  for (int round = 0; round < 5; ++round) {
    const auto [a, b] = twice_at_once(s, "--dir .");
    EXPECT_TRUE(a == 0 || a == 2) << a;
    EXPECT_TRUE(b == 0 || b == 2) << b;
    EXPECT_TRUE(a == 0 || b == 0) << "one run at least sees its sources";
    EXPECT_EQ(fs::file_size(s / kPathFile), 4959964u);
    EXPECT_EQ(slurp(s / kTrackFile), track);
    EXPECT_EQ(slurp(s / kTableFile), table);
    for (const std::string& f : leftovers(s.dir(), {})) {
      EXPECT_EQ(f.find(".tmp"), std::string::npos) << f;
    }
  }
}

}  // namespace
}  // namespace compactor::e2e
