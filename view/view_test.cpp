// The page of a compiled scenario: its items against the model, the rows
// they name, what it draws from compiled files, faults and warnings, texts
// that must not break the page, and the path drawn within its tolerance.
#include "view/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <string>
#include <string_view>

#include "compiler/test_sources.h"
#include "driver/row_table.h"
#include "pipeline/compile.h"
#include "sources/line_description.h"
#include "sources/service_description.h"
#include "view/drawing.h"
#include "view/items.h"
#include "view/simplify.h"

namespace compactor::view {
namespace {

using compactor::testing::line_text;
using compactor::testing::service_text;

struct Rendered {
  CompiledScenario compiled;
  Origins origins;
  ViewParts parts;
};

Rendered render(const std::string& line, const std::string& service, bool from_sources = true,
                std::vector<ViewWarning> warnings = {}) {
  Rendered r;
  Sources sources;
  sources.line = SourceText{"line.txt", line};
  sources.service = SourceText{"svc.txt", service};
  r.compiled = compile_scenario(1, Names{}, sources, &r.origins);
  ViewInput in;
  in.scenario = &r.compiled.scenario;
  in.origins = from_sources ? &r.origins : nullptr;
  in.diagnostics = r.compiled.diagnostics;
  in.warnings = std::move(warnings);
  in.from_sources = from_sources;
  in.fatal = r.compiled.fatal;
  r.parts = render_parts(in);
  return r;
}

Rendered built_in(bool from_sources = true) {
  return render(render_rows(line_description_rows()), render_rows(service_description_rows()), from_sources);
}

// The opening tags of the items in an SVG text.
std::vector<std::string> item_tags(std::string_view text) {
  const std::string svg(text);
  std::vector<std::string> tags;
  static const std::regex tag(R"(<[a-z]+ class="item[^>]*>)");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), tag); it != std::sregex_iterator(); ++it) {
    tags.push_back(it->str());
  }
  return tags;
}

std::string attribute(const std::string& tag, const std::string& name) {
  const std::string key = " " + name + "=\"";
  const size_t at = tag.find(key);
  if (at == std::string::npos) return "";
  const size_t from = at + key.size();
  return tag.substr(from, tag.find('"', from) - from);
}

std::map<std::string, int> kinds(std::string_view svg) {
  std::map<std::string, int> n;
  for (const std::string& t : item_tags(svg)) ++n[attribute(t, "data-kind")];
  return n;
}

std::map<std::string, int> cell_kinds(const Scenario& s) {
  std::map<std::string, int> n;
  for (const TrackCell& c : s.track) {
    switch (c.kind) {
      case kSignal: ++n["signal"]; break;
      case kSlowdownEnd: ++n["slowdown-end"]; break;
      case kSlowdownStart: ++n["slowdown-start"]; break;
      case kSlowdownWarning: ++n["slowdown-warning"]; break;
      case kSlowdownApproach: ++n["slowdown-approach"]; break;
      case kSpeedIndicator: ++n["indicator"]; break;
      case kReductionPoint:
      case kReductionPointNoValue: ++n["reduction-point"]; break;
      case kDirectionBoard: ++n["board"]; break;
      default: break;
    }
  }
  return n;
}

TEST(View, BuiltInItemsAreWhatTheModelHolds) {
  const Rendered r = built_in();
  ASSERT_EQ(r.compiled.scenario.error_code, 0);
  for (const Text* svg : {&r.parts.profile, &r.parts.plan}) {
    std::map<std::string, int> drawn = kinds(*svg);
    EXPECT_EQ(drawn["station"], 35);
    EXPECT_EQ(drawn["signal"], 120);
    EXPECT_EQ(drawn["tunnel"], 2);
    EXPECT_EQ(drawn["board"], 2);
    EXPECT_EQ(drawn["indicator"], 51);
    EXPECT_EQ(drawn["diagnostic"], 0);
    for (const auto& [kind, n] : cell_kinds(r.compiled.scenario)) EXPECT_EQ(drawn[kind], n) << kind;
    EXPECT_GT(drawn["reduction-point"], 0);
  }
  // The summary counts the same.
  EXPECT_NE(r.parts.summary.find("<td data-count=\"station\">35</td>"), std::string::npos);
  EXPECT_EQ(r.parts.data["counts"]["signal"], 120);
  // One line of details for each item, in the order of the drawings.
  EXPECT_EQ(r.parts.data["details"].size(), item_tags(r.parts.profile).size());
  // The kilometres of the progressives: the board at 97500 m reads km 208+500.
  EXPECT_EQ(kilometre_text(r.compiled.scenario, 97500), "km 208+500");
}

TEST(View, ItemsNameTheRowThatPlacedThemAndBlockPassPointsTheirSlowdown) {
  // Lines 1 and 2 of the service: "[generale]" and the signal.
  const Rendered r = render(line_text("montagna,   1000,   2000,   11\r\n"),
                            service_text("segnale,   9950,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
                                         "rallentamento,  10500,    60,  200, 0,  0,  0\r\n"));
  ASSERT_EQ(r.compiled.scenario.error_code, 0);
  bool signal = false, block = false, slowdown = false;
  const std::vector<std::string> tags = item_tags(r.parts.profile);
  for (size_t i = 0; i < tags.size(); ++i) {
    const std::string& t = tags[i];
    const std::string kind = attribute(t, "data-kind");
    if (kind == "signal") {
      signal = true;
      EXPECT_EQ(attribute(t, "data-cell"), "200");
      EXPECT_EQ(attribute(t, "data-metres"), "10000");
      EXPECT_EQ(attribute(t, "data-source"), "svc.txt:2");
    } else if (kind == "reduction-point") {
      // Every point here comes from the block pass: no row placed it.
      block = true;
      EXPECT_EQ(attribute(t, "data-source"), "") << t;
      bool listed = false;
      for (const nlohmann::json& b : r.parts.data["block"]) {
        if (std::to_string(b[0].get<int>()) == attribute(t, "data-cell")) {
          listed = true;
          EXPECT_EQ(b[1], 211);  // the slowdown's start cell (10500 m, placed by svc.txt:3)
          EXPECT_EQ(b[2], 0);
        }
      }
      EXPECT_TRUE(listed) << t;
    } else if (kind == "tunnel") {
      EXPECT_EQ(attribute(t, "data-source"), "line.txt:4");
    } else if (kind == "slowdown-start") {
      slowdown = true;
      EXPECT_EQ(attribute(t, "data-cell"), "211");
      EXPECT_EQ(attribute(t, "data-source"), "svc.txt:3");
    }
  }
  EXPECT_TRUE(signal);
  EXPECT_TRUE(block);
  EXPECT_TRUE(slowdown);
}

TEST(View, FromCompiledFilesTunnelsAreRunsOfCellsAndNoItemNamesARow) {
  // Two tunnel rows back to back, of one type: one run of tunnel cells.
  const std::string line = line_text("montagna,   1000,   2000,   3\r\nmontagna,   2000,   3000,   13\r\n");
  const std::string service = service_text("segnale,   9950,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n");
  const Rendered sources = render(line, service, true);
  const Rendered compiled = render(line, service, false);
  EXPECT_EQ(kinds(sources.parts.profile)["tunnel"], 2);
  EXPECT_EQ(kinds(compiled.parts.profile)["tunnel"], 1);
  EXPECT_EQ(compiled.parts.plan.find("data-source"), std::string::npos);
  EXPECT_EQ(compiled.parts.profile.find("data-source"), std::string::npos);
  EXPECT_EQ(kinds(compiled.parts.profile)["signal"], 1);
}

TEST(View, FaultsAndWarningsAreDrawnWhereTheyLie) {
  // A signal beyond the track (15, at 300000 m: the service's loop ends and
  // compiling goes on), then a progressive that is not a multiple of 50 (2,
  // no position).
  const Rendered r = render(
      line_text("", 241000, "progressiva chilometrica uno,    0,    111025,    0\r\n"),
      service_text("segnale,   9950,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"
                   "segnale,   300000,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\n"),
      true, {ViewWarning{"near-signal", "two signals 50 m apart", SourcePlace{"svc.txt", 3, 0}, 201}});
  ASSERT_EQ(r.compiled.diagnostics.size(), 2u);
  std::vector<std::string> faults, warnings;
  for (const std::string& t : item_tags(r.parts.profile)) {
    if (attribute(t, "data-kind") == "diagnostic") faults.push_back(t);
    if (attribute(t, "data-kind") == "warning") warnings.push_back(t);
  }
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(attribute(faults[0], "data-metres"), "300000");
  EXPECT_EQ(attribute(faults[0], "data-source"), "svc.txt:3");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(attribute(warnings[0], "data-cell"), "201");
  EXPECT_EQ(attribute(warnings[0], "data-source"), "svc.txt:3");
  // Both faults are listed; the one with a position links to its place.
  EXPECT_NE(r.parts.tables.find("data-goto=\"diagnostic\" data-cell=\"6000\" data-metres=\"300000\""),
            std::string::npos);
  EXPECT_NE(r.parts.tables.find("error 2: "), std::string::npos);
  EXPECT_NE(r.parts.summary.find("<td data-count=\"warning\">1</td>"), std::string::npos);
}

TEST(View, TextsOfTheModelCannotBreakThePage) {
  // A station name and a board text with markup, an ampersand and a
  // Windows-1252 letter (0xE8).
  const Rendered r = render(line_text("cartello_indicatore,   5000,   </script><b>&\xE8\r\n"),
                            service_text("stazione,   20000, 1, 400, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, "
                                         "A'\"<svg onload=x>\r\n"));
  ASSERT_EQ(r.compiled.scenario.error_code, 0);
  const std::string page = render_page(r.parts);
  EXPECT_NE(r.parts.plan.find("&lt;/script&gt;&lt;b&gt;&amp;\xC3\xA8"), std::string::npos);
  EXPECT_NE(r.parts.profile.find("A&#39;&quot;&lt;svg onload=x&gt;"), std::string::npos);
  EXPECT_EQ(page.find("<svg onload"), std::string::npos);
  // The data holds no "<": nothing in it can end its script element.
  const size_t data = page.find("<script type=\"application/json\" id=\"view-data\">");
  ASSERT_NE(data, std::string::npos);
  const size_t from = page.find('>', data) + 1;
  const std::string json = page.substr(from, page.find("</script>", from) - from);
  EXPECT_EQ(json.find('<'), std::string::npos);
  EXPECT_EQ(nlohmann::json::parse(json)["details"].size(), r.parts.data["details"].size());
  // Self-contained: nothing is loaded from anywhere.
  EXPECT_EQ(page.find(" src="), std::string::npos);
  EXPECT_EQ(page.find("url(http"), std::string::npos);
  std::string rest = page;
  for (size_t at = rest.find("http:"); at != std::string::npos; at = rest.find("http", at + 1)) {
    if (rest.compare(at, 10, "http-equiv") == 0) continue;
    EXPECT_EQ(rest.compare(at, 26, "http://www.w3.org/2000/svg"), 0) << rest.substr(at, 40);
  }
  // The parts as JSON are what the page holds.
  const nlohmann::json parts = parts_json(r.parts);
  EXPECT_EQ(parts["plan"], std::string(r.parts.plan));
  EXPECT_EQ(parts["data"], r.parts.data);
}

TEST(View, APageEvenWithoutATrack) {
  Rendered r;
  Sources sources;  // no line description: error 101, nothing sized
  sources.service = SourceText{"svc.txt", service_text("")};
  r.compiled = compile_scenario(1, Names{}, sources, &r.origins);
  ViewInput in;
  in.scenario = &r.compiled.scenario;
  in.origins = &r.origins;
  in.diagnostics = r.compiled.diagnostics;
  in.fatal = r.compiled.fatal;
  const ViewParts parts = render_parts(in);
  EXPECT_TRUE(item_tags(parts.plan).empty());
  EXPECT_TRUE(item_tags(parts.profile).empty());
  EXPECT_NE(parts.tables.find("error 101"), std::string::npos);
  EXPECT_NE(parts.summary.find("no compiled file written"), std::string::npos);
  EXPECT_FALSE(render_page(parts).empty());
}

// Reads back "Mx yl dx dy dx dy ..." in hundredths.
std::vector<std::pair<double, double>> vertices(std::string_view d) {
  std::vector<std::pair<double, double>> v;
  std::vector<double> n;
  std::string number;
  for (char c : std::string(d) + " ") {
    if (c == '-' || c == '.' || (c >= '0' && c <= '9')) {
      if (c == '-' && !number.empty()) {
        n.push_back(std::stod(number));
        number.clear();
      }
      number += c;
    } else if (!number.empty()) {
      n.push_back(std::stod(number));
      number.clear();
    }
  }
  double x = n.at(0), y = n.at(1);
  v.push_back({x, y});
  for (size_t i = 2; i + 1 < n.size(); i += 2) {
    x += n[i];
    y += n[i + 1];
    v.push_back({x, y});
  }
  return v;
}

TEST(View, ThePathIsDrawnWithinATenthOfAMetre) {
  const Rendered r = built_in();
  const Scenario& s = r.compiled.scenario;
  const int32_t last = last_drawn_point(s);
  ASSERT_EQ(last, s.path.end - 2);
  for (const auto& [first, end] : {std::pair<int32_t, int32_t>{0, last}, {24350, 26350}, {97000, 98000}}) {
    Text d;
    append_path_data(d, s, first, end);
    const std::vector<std::pair<double, double>> drawn = vertices(d);
    const std::vector<int32_t> kept = simplify_path(s.path.x.data(), s.path.y.data(), first, end, kPathTolerance);
    ASSERT_EQ(drawn.size(), kept.size());
    EXPECT_LT(kept.size(), static_cast<size_t>(end - first) / 10);
    double worst = 0;
    for (size_t k = 1; k < kept.size(); ++k) {
      const double ax = drawn[k - 1].first, ay = drawn[k - 1].second;
      const double bx = drawn[k].first, by = drawn[k].second;
      for (int32_t i = kept[k - 1]; i <= kept[k]; ++i) {
        const double px = s.path.x[static_cast<size_t>(i)], py = -s.path.y[static_cast<size_t>(i)];
        const double dx = bx - ax, dy = by - ay, n2 = dx * dx + dy * dy;
        const double t = n2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / n2, 0.0, 1.0) : 0.0;
        worst = std::max(worst, std::hypot(ax + t * dx - px, ay + t * dy - py));
      }
    }
    EXPECT_LE(worst, kDrawnTolerance) << first << " to " << end;
  }
}

}  // namespace
}  // namespace compactor::view
