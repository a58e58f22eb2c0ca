// compactor view as a user runs it: the one page it writes, the two drawings
// on request, its exit status against compile's, and what it writes when the
// sources cannot be read or the model not compiled.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "compiler/test_sources.h"
#include "tests/harness.h"

namespace compactor::e2e {
namespace {

const char* const kPage = "Lavena_Codrano2_ES 2718.html";

std::vector<std::string> files_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The items of one drawing: "kind cell" for every element of class item
// inside <svg id="NAME">, sorted. Warnings are left out: they come from the
// sources, which compiled files no longer have.
std::vector<std::string> items_of(const std::string& page, const std::string& svg) {
  std::vector<std::string> items;
  const size_t from = page.find("<svg id=\"" + svg + "\"");
  if (from == std::string::npos) return items;
  const size_t to = page.find("</svg>", from);
  const std::regex item(R"re(class="item[^"]*" data-kind="([a-z-]+)" data-cell="([0-9]+)")re");
  const std::string drawing = page.substr(from, to - from);
  for (std::sregex_iterator it(drawing.begin(), drawing.end(), item), end; it != end; ++it) {
    if ((*it)[1].str() != "warning") items.push_back((*it)[1].str() + " " + (*it)[2].str());
  }
  std::sort(items.begin(), items.end());
  return items;
}

TEST(ViewCommand, CompiledFilesDrawTheSameItemsWithoutSourceRows) {
  Scratch s;
  for (const char* d : {"run", "src", "from_sources", "from_files"}) fs::create_directory(s / d);
  ASSERT_EQ(s.run({"--dir", "run"}).status, 0);
  ASSERT_EQ(s.run({"export", "--dir", "src"}).status, 0);
  const Result viewed = s.run({"view", "src/Lavena_Codrano2_linea.txt", "src/Lavena_Codrano2_ES 2718-.txt",
                               "--dir", "from_sources"});
  EXPECT_EQ(viewed.status, 0) << viewed.err;
  const Result drawn = s.run({"view", "--compiled", "run", "--dir", "from_files"});
  EXPECT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_EQ(drawn.err, "");
  EXPECT_EQ(files_in(s / "from_files"), std::vector<std::string>{kPage});
  const std::string a = slurp(s / "from_sources" / kPage);
  const std::string b = slurp(s / "from_files" / kPage);
  for (const char* svg : {"profile", "plan"}) {
    SCOPED_TRACE(svg);
    const std::vector<std::string> items = items_of(b, svg);
    EXPECT_GT(items.size(), 200u);
    EXPECT_EQ(items_of(a, svg), items);
  }
  EXPECT_NE(a.find("data-source="), std::string::npos);
  EXPECT_EQ(b.find("data-source="), std::string::npos);
}

TEST(ViewCommand, CompiledFilesThatCannotBeReadStopWithTwo) {
  Scratch s;
  fs::create_directory(s / "run");
  ASSERT_EQ(s.run({"--dir", "run"}).status, 0);
  fs::resize_file(s / "run" / "Lavena_Codrano2_ES 2718.dat", 74414);
  const Result r = s.run({"view", "--compiled", "run"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("run/Lavena_Codrano2_ES 2718.dat: not a compiled track file: "), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(s / kPage));
  const struct {
    std::vector<std::string> args;
  } usage[] = {{{"view", "--compiled", "run", "a.txt", "b.txt"}}, {{"view", "--compiled", "run", "-Wall"}}, {{"view", "a.txt"}}};
  for (const auto& u : usage) EXPECT_EQ(s.run(u.args).status, 64) << u.args.back();
}

TEST(ViewCommand, WritesOnlyThePageWithCompilesExitStatus) {
  struct Case {
    const char* name;
    std::string service_rows;
    std::vector<std::string> flags;
    int status;
    bool warns;
  };
  const std::string signal = "segnale,   9950,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n";
  const std::string misspelt = "segnalle,   19950,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n";
  const Case cases[] = {
      {"clean", signal, {}, 0, false},
      {"a fault", signal + "segnale,   9960,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n", {}, 1, false},
      {"a warning", signal + misspelt, {}, 0, true},
      {"a warning under -Werror", signal + misspelt, {"-Werror"}, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch s;
    fs::create_directory(s / "in");
    spit(s / "in" / "line.txt", testing::line_text(""));
    spit(s / "in" / "svc.txt", testing::service_text(c.service_rows));
    fs::create_directory(s / "compiled");
    std::vector<std::string> compile = {"compile", "in/line.txt", "in/svc.txt", "--dir", "compiled"};
    std::vector<std::string> view = {"view", "in/line.txt", "in/svc.txt", "--dir", "page"};
    compile.insert(compile.end(), c.flags.begin(), c.flags.end());
    view.insert(view.end(), c.flags.begin(), c.flags.end());
    const Result compiled = s.run(compile);
    fs::create_directory(s / "page");
    const Result viewed = s.run(view);
    EXPECT_EQ(viewed.status, c.status) << viewed.err;
    EXPECT_EQ(viewed.status, compiled.status);
    EXPECT_EQ(viewed.err, compiled.err);  // the same diagnostics
    EXPECT_EQ(files_in(s / "page"), std::vector<std::string>{kPage});
    const std::string page = slurp(s / "page" / kPage);
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("data-source=\"in/svc.txt:2\""), std::string::npos);
    // A warning is drawn on the cell of the row before it that placed one.
    EXPECT_EQ(page.find("data-kind=\"warning\" data-cell=\"200\"") != std::string::npos, c.warns);
  }
}

TEST(ViewCommand, SvgWritesTheTwoDrawingsAndJsonNamesEveryFile) {
  Scratch s;
  spit(s / "line.txt", testing::line_text(""));
  spit(s / "svc.txt", testing::service_text(""));
  const Result r = s.run({"view", "line.txt", "svc.txt", "--svg", "pics", "--json"}, "mkdir pics && ");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string plan = slurp(s / "pics" / "Lavena_Codrano2_ES 2718_plan.svg");
  const std::string profile = slurp(s / "pics" / "Lavena_Codrano2_ES 2718_profile.svg");
  EXPECT_EQ(plan.rfind("<?xml", 0), 0u);
  EXPECT_NE(plan.find("<svg id=\"plan\" xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  EXPECT_NE(profile.find("<svg id=\"profile\" xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  EXPECT_NE(r.out.find("\"written\": [\"Lavena_Codrano2_ES 2718.html\", \"Lavena_Codrano2_ES 2718_plan.svg\", "
                       "\"Lavena_Codrano2_ES 2718_profile.svg\"]"),
            std::string::npos)
      << r.out;
}

TEST(ViewCommand, UnreadableSourcesWriteNothingAndAnUncompiledModelStillGetsItsPage) {
  {
    Scratch s;
    const Result r = s.run({"view", "missing.txt", "svc.txt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(files_in(s.dir()).empty());
  }
  {
    // No "[generale]": the track is never sized, compile stops with 2.
    Scratch s;
    spit(s / "line.txt", "[curve]\r\n");
    spit(s / "svc.txt", testing::service_text(""));
    const Result r = s.run({"view", "line.txt", "svc.txt"});
    EXPECT_EQ(r.status, 2);
    const std::string page = slurp(s / kPage);
    EXPECT_NE(page.find("error 102"), std::string::npos);
  }
}

}  // namespace
}  // namespace compactor::e2e
