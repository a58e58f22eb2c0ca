// The view of a compiled scenario: one self-contained HTML page with the
// summary, the plan of the line, the profile along it, the tables and the
// model's data as JSON, and the two drawings as standalone SVG.
//
// Pure functions: data in, text out; no file, clock or platform. The page is
// the same bytes wherever it is built. It is made of parts so that a live
// server can send new parts to an open page (window.compactorView.apply in
// view/view.js) instead of reloading it.
//
// The DOM contract, kept by every part: each drawn item is an SVG element of
// class "item" with data-kind, data-cell, data-metres and, where its source
// row is known, data-source ("FILE:LINE"). The two drawings are svg#plan and
// svg#profile; inside svg#profile each kind appears as often as the model
// holds it (see view/items.h).
//
// Depends on pipeline/, compiler/ (origins), check/, model/ and
// documents/windows1252.h.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/origins.h"
#include "compiler/warnings.h"
#include "model/byte_sink.h"
#include "model/diagnostic.h"
#include "model/scenario.h"
#include "view/text.h"

namespace compactor::view {

// A warning about a source row (compiler/warnings.h): something that
// compiled but is probably not what the author meant. Drawn as a "warning"
// item on its cell (view/items.h, place_warnings).
struct ViewWarning {
  std::string code;     // short name of the check
  std::string message;  // UTF-8
  SourcePlace place;
  int32_t cell = 0;
};

struct ViewInput {
  const Scenario* scenario = nullptr;  // required
  const Origins* origins = nullptr;    // the source rows, when drawn from sources
  std::vector<Diagnostic> diagnostics;
  std::vector<ViewWarning> warnings;
  Names names;
  // True when the scenario was compiled from source texts (tunnels are then
  // the rows stored; from compiled files, the runs of tunnel cells).
  bool from_sources = true;
  // Set when the compiled files could not be written: "1250", "1251" or a reason.
  std::optional<std::string> fatal;
};

struct ViewParts {
  std::string title;        // "SCENARIO_TRAIN", UTF-8
  std::string summary;      // HTML fragment
  Text plan;                // <svg id="plan" ...>, standalone
  Text profile;             // <svg id="profile" ...>, standalone
  std::string tables;       // HTML fragment
  nlohmann::json data;      // the model's data that the script shows
};

// Runs two tasks that share nothing they write, and returns when both are
// done: at the same time on two threads, or one after the other. The view
// starts no thread itself; a caller with a second core to spare passes one.
using RunBoth = std::function<void(const std::function<void()>&, const std::function<void()>&)>;

// The same parts whether `run_both` is given or not: the plan is drawn by one
// task, the profile, the tables and the data by the other.
ViewParts render_parts(const ViewInput& in, const RunBoth& run_both = {});

// The parts as one JSON object {"title", "summary", "plan", "profile",
// "tables", "data"}: what window.compactorView.apply takes.
nlohmann::json parts_json(const ViewParts& parts);

// The whole page: the parts, the style sheet, the data and the script. With
// `live_events` (a URL) the page listens there for new parts (server-sent
// events, one JSON of parts_json per message); without it, it connects to
// nothing.
std::string render_page(const ViewParts& parts, const std::string& live_events = {});
// The same bytes, handed to `sink` piece by piece (no copy of the whole page).
void write_page(const ViewParts& parts, ByteSink& sink, const std::string& live_events = {});

// The standalone SVG files, with an XML declaration.
std::string standalone_svg(std::string_view svg);

}  // namespace compactor::view
