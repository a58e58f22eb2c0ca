// The command line, exit statuses, diagnostics and the compiled files as a
// user sees them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "compiler/test_sources.h"
#include "tests/harness.h"

#include <nlohmann/json.hpp>

namespace compactor::e2e {
namespace {

using compactor::testing::kEmptyService;
const std::string& kGeneralLine = compactor::testing::kGeneralRows;

const char* kPathFile = "Lavena_Codrano2_linea.dat";
const char* kTableFile = "Lavena_Codrano2_ES 2718.sim";
const char* kTrackFile = "Lavena_Codrano2_ES 2718.dat";

class Compile : public ::testing::Test {
 protected:
  void sources(const std::string& line, const std::string& service) {
    spit(s / "line.txt", line);
    spit(s / "svc.txt", service);
  }
  Result compile(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"compile", "line.txt", "svc.txt"};
    args.insert(args.end(), extra.begin(), extra.end());
    return s.run(args);
  }
  Scratch s;
};

TEST_F(Compile, GeneralRowsAloneGiveTheFullSizedFilesAndExitZero) {
  sources(kGeneralLine, kEmptyService);
  const Result r = compile();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(fs::file_size(s / kPathFile), 4959964u);
  EXPECT_EQ(fs::file_size(s / kTrackFile), 74415u);
  EXPECT_TRUE(fs::exists(s / kTableFile));
  // The user's sources are never deleted.
  EXPECT_TRUE(fs::exists(s / "line.txt"));
  EXPECT_TRUE(fs::exists(s / "svc.txt"));
}

TEST_F(Compile, AnEarlierLongerFileIsReplacedWhole) {
  sources(kGeneralLine, kEmptyService);
  spit(s / kPathFile, std::string(6000000, 'x'));
  spit(s / kTrackFile, std::string(100000, 'x'));
  const Result r = compile();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::file_size(s / kPathFile), 4959964u);
  EXPECT_EQ(fs::file_size(s / kTrackFile), 74415u);
  EXPECT_EQ(slurp(s / kTrackFile).find('x'), std::string::npos);
}

TEST_F(Compile, JsonReportsCodesDiagnosticsAndWrittenFiles) {
  sources(kGeneralLine,
          "[generale]\r\n"
          "segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
          "segnale,   17240,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n");
  const Result r = compile({"--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "{\"error_code\": 16, \"error_position\": 17240, \"diagnostics\": [{\"code\": 16, "
            "\"position\": 17240, \"file\": \"svc.txt\", \"line\": 3, \"column\": 12, \"message\": \"signal on "
            "an occupied cell\", \"notes\": [{\"file\": \"svc.txt\", \"line\": 2, \"column\": 1, \"message\": "
            "\"cell 346 (17300 to 17350 m) holds a signal, placed by this row\"}, {\"message\": \"the compiler "
            "stops here, without the final fills and checks\"}]}], \"warnings\": [], \"written\": "
            "[\"Lavena_Codrano2_linea.dat\", \"Lavena_Codrano2_ES 2718.sim\", \"Lavena_Codrano2_ES 2718.dat\"]}\n");
}

TEST_F(Compile, HumanDiagnosticShowsFileLineColumnACaretUnderTheFieldAndNotes) {
  sources(kGeneralLine,
          "[generale]\r\n"
          "segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
          "  segnale,   17240,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n");
  const Result r = compile();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "svc.txt:3:14: error 16: signal on an occupied cell (at 17240 m)\n"
            "      segnale,   17240,   2, 4, 1,  1, 0,    2,  2,1,1, 0\n"
            "                 ^\n"
            "svc.txt:2:1: note: cell 346 (17300 to 17350 m) holds a signal, placed by this row\n"
            "    segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0\n"
            "    ^\n"
            "note: the compiler stops here, without the final fills and checks\n");
}

TEST_F(Compile, WarningsChangeNeitherTheFilesNorTheStatusUnlessWerror) {
  const std::string service = "[generale]\r\nvelocita,  1000,  123\r\nsegnalle,  2000\r\n";
  sources(kGeneralLine, service);
  const Result plain = compile({"--dir", "."});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err,
            "svc.txt:2:19: warning: the speed 123 km/h is not a multiple of 5; the track holds 125 km/h "
            "[-Wspeed-step]\n"
            "    velocita,  1000,  123\n"
            "                      ^\n"
            "svc.txt:3:1: warning: \"segnalle\" is the key of no row, so the compiler passed over it and reads "
            "the fields after it as keys; did you mean \"segnale\"? [-Wunknown-key]\n"
            "    segnalle,  2000\n"
            "    ^\n");
  const std::string track = slurp(s / kTrackFile);

  const struct {
    std::vector<std::string> flags;
    int status;
    size_t warnings;  // how many "warning:" lines
  } cases[] = {
      {{"-Werror"}, 1, 2},
      {{"-Wno-speed-step"}, 0, 1},
      {{"-W", "no-unknown-key", "-Wno-speed-step", "-Werror"}, 0, 0},
      {{"-Wall", "-Werror"}, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags.front());
    fs::remove(s / kTrackFile);
    const Result r = compile(c.flags);
    EXPECT_EQ(r.status, c.status) << r.err;
    size_t count = 0;
    for (size_t at = r.err.find("warning:"); at != std::string::npos; at = r.err.find("warning:", at + 1)) ++count;
    EXPECT_EQ(count, c.warnings) << r.err;
    // The files are written, byte for byte those of the plain compile.
    EXPECT_EQ(slurp(s / kTrackFile), track);
  }
}

TEST_F(Compile, JsonAndSarifCarryTheWarnings) {
  sources(kGeneralLine, "[generale]\r\nvelocita,  1000,  123\r\n" 
          "segnale,   17230,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nsegnale,   17240,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n");
  const Result r = compile({"--json", "--sarif", "out.sarif"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("\"warnings\": [{\"name\": \"speed-step\", \"file\": \"svc.txt\", \"line\": 2, "
                       "\"column\": 19, \"message\": \"the speed 123 km/h is not a multiple of 5; the track holds "
                       "125 km/h\", \"notes\": []}]"),
            std::string::npos)
      << r.out;
  const nlohmann::json sarif = nlohmann::json::parse(slurp(s / "out.sarif"));
  EXPECT_EQ(sarif["version"], "2.1.0");
  const auto& results = sarif["runs"][0]["results"];
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0]["ruleId"], "E16");
  EXPECT_EQ(results[0]["level"], "error");
  const auto& region = results[0]["locations"][0]["physicalLocation"]["region"];
  EXPECT_EQ(region["startLine"], 4);
  EXPECT_EQ(region["startColumn"], 12);
  EXPECT_EQ(results[0]["locations"][0]["physicalLocation"]["artifactLocation"]["uri"], "svc.txt");
  EXPECT_EQ(results[0]["relatedLocations"][0]["physicalLocation"]["region"]["startLine"], 3);
  EXPECT_EQ(results[1]["ruleId"], "speed-step");
  EXPECT_EQ(results[1]["level"], "warning");
}

TEST_F(Compile, AnUnknownWarningNameIsAUsageError) {
  sources(kGeneralLine, kEmptyService);
  for (const std::vector<std::string>& flags : {std::vector<std::string>{"-Wspeedstep"},
                                                std::vector<std::string>{"-W", "no-such"}}) {
    const Result r = compile(flags);
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("unknown warning"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(s / kTrackFile));
  }
}

TEST_F(Compile, CheckListsEveryFaultAndWritesNothing) {
  sources(kGeneralLine,
          "[generale]\r\n"
          "segnale,   950,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
          "segnale,   960,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n"
          "sabbia,    x\r\n"
          "stazione,  17230,  12,  400,  0, 0, 0,  1,1,0,  2,1,1,    0,  0,0, 0, X\r\n");
  const Result r = s.run({"check", "line.txt", "svc.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("svc.txt:3:12: error 16:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("svc.txt:4:12: error 25:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("svc.txt:5:12: error 8:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("note: found after the compile stopped at svc.txt:3\n"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(s / kTrackFile));
  EXPECT_FALSE(fs::exists(s / kPathFile));

  sources(kGeneralLine, "[generale]\r\nvelocita,  1000,  123\r\n");
  EXPECT_EQ(s.run({"check", "line.txt", "svc.txt"}).status, 0);
  EXPECT_EQ(s.run({"check", "line.txt", "svc.txt", "-Werror"}).status, 1);
  sources(kGeneralLine, kEmptyService);
  const Result clean = s.run({"check", "line.txt", "svc.txt", "--json"});
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.out, "{\"error_code\": 0, \"error_position\": 0, \"diagnostics\": [], \"warnings\": [], "
                       "\"written\": []}\n");
}

TEST_F(Compile, FatalReservedFieldEndsBeforeAnyFileIsTouched) {
  sources(kGeneralLine, "[generale]\r\nsegnale,    0,   2, 4, 0,  0, 0,    0,  0,0,0, 0\r\n");
  spit(s / kTrackFile, "earlier");
  for (bool json : {false, true}) {
    const Result r = compile(json ? std::vector<std::string>{"--json"} : std::vector<std::string>{});
    EXPECT_EQ(r.status, 2);
    if (json) {
      EXPECT_NE(r.out.find("\"fatal\": 1250"), std::string::npos) << r.out;
      EXPECT_NE(r.out.find("\"written\": []"), std::string::npos) << r.out;
    } else {
      EXPECT_EQ(r.err, "Lavena_Codrano2_ES 2718:  Errore n. 1250\n");
    }
    EXPECT_EQ(slurp(s / kTrackFile), "earlier");
    EXPECT_FALSE(fs::exists(s / kPathFile));
    EXPECT_FALSE(fs::exists(s / kTableFile));
  }
}

TEST_F(Compile, NoPathLeavesAnEarlierPathFileAsItWas) {
  sources(kGeneralLine, kEmptyService);
  spit(s / kPathFile, "earlier path");
  const Result r = compile({"--no-path"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp(s / kPathFile), "earlier path");
  EXPECT_EQ(fs::file_size(s / kTrackFile), 74415u);
}

TEST_F(Compile, NamesChooseTheFileNamesAndDirChoosesTheDirectory) {
  sources(kGeneralLine, kEmptyService);
  fs::create_directory(s / "out");
  const Result r = compile({"--dir", "out", "--scenario", "Linea", "--train", "R 1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(s / "out" / "Linea_linea.dat"));
  EXPECT_TRUE(fs::exists(s / "out" / "Linea_R 1.sim"));
  EXPECT_TRUE(fs::exists(s / "out" / "Linea_R 1.dat"));
}

TEST_F(Compile, MissingLengthRowStopsWithoutWriting) {
  sources("[generale]\r\nsfondo uno,    1\r\n[curve]\r\n", kEmptyService);
  const Result r = compile();
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("lunghezza percorso"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(s / kTrackFile));
}

TEST_F(Compile, UnreadableSourcesStopWithStatusTwoAndWriteNothing) {
  sources(kGeneralLine, kEmptyService);
  fs::create_directory(s / "dir.txt");
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"compile", "missing.txt", "svc.txt"}, "missing.txt: no such file"},
      {{"compile", "line.txt", "missing.txt"}, "missing.txt: no such file"},
      {{"compile", "dir.txt", "svc.txt"}, "dir.txt: is a directory"},
  };
  for (const auto& c : cases) {
    const Result r = s.run(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(s / kTrackFile));
  }
}

TEST(CommandLine, UsageErrorsExitWith64) {
  Scratch s;
  const std::vector<std::vector<std::string>> calls = {
      {"--bogus"},
      {"compile", "only-one"},
      {"compile", "a", "b", "c"},
      {"--dir"},
      {"export", "extra"},
      {"compile", "a", "b", "--scenario", ""},
      {"compile", "a", "b", "--scenario", ".."},
      {"compile", "a", "b", "--train", "a/b"},
      {"compile", "a", "b", "--train", "a\\b"},
      {"compile", "a", "b", "--train", "a\tb"},
      {"--no-path"},
  };
  for (const auto& args : calls) {
    const Result r = s.run(args);
    EXPECT_EQ(r.status, 64) << args[0];
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
}

TEST(CommandLine, VersionComesFromTheProject) {
  Scratch s;
  const Result r = s.run({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, std::string("compactor ") + COMPACTOR_VERSION + "\n");
}

TEST(CommandLine, HelpDescribesEveryCommandWithExamples) {
  Scratch s;
  const Result all = s.run({"help"});
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out, s.run({"--help"}).out);
  EXPECT_EQ(all.out.rfind("usage: compactor [--dir DIR] [--json]\n", 0), 0u) << all.out;
  // The commands the page lists, each with a page of its own.
  std::vector<std::string> commands;
  std::istringstream listed(all.out.substr(all.out.find("\nCommands:\n") + 11));
  for (std::string line; std::getline(listed, line) && !line.empty();) {
    commands.push_back(line.substr(2, line.find(' ', 2) - 2));
  }
  for (const char* expected : {"export", "compile", "check", "inspect", "diff", "view", "lsp", "fmt", "help"}) {
    EXPECT_NE(std::find(commands.begin(), commands.end(), expected), commands.end()) << expected;
  }
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    const Result page = s.run({"help", command});
    EXPECT_EQ(page.status, 0);
    EXPECT_EQ(page.out.rfind("usage: compactor " + command, 0), 0u) << page.out;
    EXPECT_NE(page.out.find("\nExamples:\n  compactor "), std::string::npos) << page.out;
    EXPECT_EQ(page.out, s.run({command, "--help"}).out);
  }
}

TEST(CommandLine, AUsageErrorShowsTheUsageOfItsCommandOnly) {
  Scratch s;
  const Result r = s.run({"compile", "only-one"});
  EXPECT_EQ(r.status, 64);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("compactor: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("usage: compactor compile LINE SERVICE"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("compactor export"), std::string::npos) << r.err;
  const Result unknown = s.run({"help", "nope"});
  EXPECT_EQ(unknown.status, 64);
  EXPECT_NE(unknown.err.find("no command \"nope\""), std::string::npos) << unknown.err;
}

TEST(CommandLine, ExportWritesTheTextsAndCompilesNothing) {
  Scratch s;
  fs::create_directory(s / "x");
  const Result r = s.run({"export", "--dir", "x", "--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(s / "x" / "Lavena_Codrano2_linea.txt"));
  EXPECT_TRUE(fs::exists(s / "x" / "Lavena_Codrano2_ES 2718-.txt"));
  EXPECT_FALSE(fs::exists(s / "x" / kTrackFile));
}

TEST(BuiltInRun, LeavesTheCompiledFilesAndDeletesItsSources) {
  Scratch s;
  const Result r = s.run({"--dir", "."});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(fs::exists(s / "Lavena_Codrano2_linea.txt"));
  EXPECT_FALSE(fs::exists(s / "Lavena_Codrano2_ES 2718-.txt"));
  EXPECT_EQ(fs::file_size(s / kPathFile), 4959964u);
  EXPECT_EQ(fs::file_size(s / kTrackFile), 74415u);
}

TEST(BuiltInRun, ShowsAttendereOnATerminalAndClearsIt) {
  Scratch s;
  if (std::system("script -qec true /dev/null >/dev/null 2>&1 </dev/null") != 0) {
    GTEST_SKIP() << "script(1) cannot give the program a terminal here";
  }
  // script(1) runs the program on a pseudo-terminal and copies what it shows.
  const std::string cmd = "script -qec " + quote(quote(COMPACTOR_EXE) + " --dir " + quote(s.dir().string())) +
                          " /dev/null > " + quote((s / "screen").string()) + " 2>&1 </dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(slurp(s / "screen"), "Attendere\r         \r");
}

}  // namespace
}  // namespace compactor::e2e
