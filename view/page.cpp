#include <map>
#include <string_view>

#include "model/byte_sink.h"

#include "documents/windows1252.h"
#include "view/assets.h"
#include "view/drawing.h"
#include "view/items.h"
#include "view/text.h"
#include "view/view.h"

namespace compactor::view {
namespace {

// The kinds in the order the summary lists them.
constexpr const char* kCountedKinds[] = {
    "station", "signal", "tunnel", "board", "indicator", "slowdown-warning", "slowdown-start",
    "slowdown-end", "slowdown-approach", "reduction-point", "diagnostic", "warning",
};

std::string title_of(const Names& n) { return as_utf8(n.scenario + "_" + n.train); }

void row(std::string& out, const std::string& name, const std::string& value) {
  out += "<tr><th>";
  append_escaped(out, name);
  out += "</th><td>";
  append_escaped(out, value);
  out += "</td></tr>";
}

std::string summary_html(const ViewInput& in, const Items& items,
                         const std::map<std::string, int>& counts) {
  const Scenario& s = *in.scenario;
  std::string out;
  out += "<h1>";
  append_escaped(out, title_of(in.names));
  out += "</h1><table class=\"facts\">";
  row(out, "scenario", as_utf8(in.names.scenario));
  row(out, "train", as_utf8(in.names.train));
  const int32_t length = s.table[84].long2;
  row(out, "line length", std::to_string(length) + " m");
  row(out, "kilometres", kilometre_text(s, 0) + " to " + kilometre_text(s, length));
  row(out, "drawn from", in.from_sources ? "the sources" : "the compiled files");
  row(out, "error code", std::to_string(s.error_code) +
                             (s.error_code != 0 ? " at " + std::to_string(s.error_position) + " m" : ""));
  row(out, "diagnostics", std::to_string(in.diagnostics.size()));
  if (!in.warnings.empty()) row(out, "warnings", std::to_string(in.warnings.size()));
  if (in.fatal) row(out, "stopped", "no compiled file written: " + as_utf8(*in.fatal));
  const int32_t st = s.table[85].long4;
  const int32_t og = s.track.size() > 1 ? s.track[1].paramB : 0;
  row(out, "competition codes", std::to_string(st) + " (table), " + std::to_string(og) + " (track)");
  out += "</table><table class=\"counts\"><tr>";
  for (const char* k : kCountedKinds) {
    if (std::string(k) == "warning" && in.warnings.empty()) continue;
    out += "<th>";
    out += k;
    out += "</th>";
  }
  out += "</tr><tr>";
  for (const char* k : kCountedKinds) {
    if (std::string(k) == "warning" && in.warnings.empty()) continue;
    auto it = counts.find(k);
    out += "<td data-count=\"";
    out += k;
    out += "\">" + std::to_string(it == counts.end() ? 0 : it->second) + "</td>";
  }
  out += "</tr></table>";
  (void)items;
  return out;
}

std::string tables_html(const ViewInput& in) {
  const Scenario& s = *in.scenario;
  std::string out;
  out += "<h2>Stations</h2><table class=\"stations\"><thead><tr><th>entry</th><th>name</th>"
         "<th>position (m)</th><th>kilometre</th><th>type</th><th>platform start</th>"
         "<th>platform end</th><th>time</th>";
  if (in.from_sources) out += "<th>row</th>";
  out += "</tr></thead><tbody>";
  for (const Station& st : stations(s, in.origins)) {
    out += "<tr data-kind=\"station\" data-cell=\"" + std::to_string(st.cell) + "\" data-metres=\"" +
           std::to_string(st.position) + "\"><td>" + std::to_string(st.entry) + "</td><td>";
    append_escaped(out, st.name);
    out += "</td><td>" + std::to_string(st.position) + "</td><td>" + kilometre_text(s, st.position) +
           "</td><td>" + std::to_string(st.type) + "</td><td>" + std::to_string(st.platform_start) +
           "</td><td>" + std::to_string(st.platform_end) + "</td><td>" + clock_text(st.time) + "</td>";
    if (in.from_sources) {
      out += "<td>";
      append_escaped(out, st.source);
      out += "</td>";
    }
    out += "</tr>";
  }
  out += "</tbody></table>";

  out += "<h2>Diagnostics</h2>";
  if (in.diagnostics.empty() && in.warnings.empty()) {
    out += "<p class=\"none\">No fault.</p>";
  } else {
    out += "<ol class=\"diagnostics\">";
    for (const Diagnostic& d : in.diagnostics) {
      out += "<li>";
      if (d.position) {
        out += "<a href=\"#profile\" data-goto=\"diagnostic\" data-cell=\"";
        const int32_t p = *d.position;
        out += std::to_string(p >= 0 ? p / 50 : -((-p + 49) / 50));
        out += "\" data-metres=\"" + std::to_string(p) + "\">";
      }
      std::string text;
      if (d.line > 0) text += file_name_utf8(d.file) + ":" + std::to_string(d.line) + ": ";
      text += "error " + std::to_string(d.code) + ": " + as_utf8(d.message);
      if (d.position) text += " (at " + std::to_string(*d.position) + " m, " + kilometre_text(s, *d.position) + ")";
      append_escaped(out, text);
      if (d.position) out += "</a>";
      if (!d.source_line.empty()) {
        out += "<pre>";
        append_escaped(out, as_utf8(d.source_line));
        out += "</pre>";
      }
      out += "</li>";
    }
    for (const ViewWarning& w : in.warnings) {
      out += "<li class=\"warning\"><a href=\"#profile\" data-goto=\"warning\" data-cell=\"" +
             std::to_string(w.cell) + "\" data-metres=\"" + std::to_string(w.cell * 50) + "\">";
      std::string text;
      if (w.place.known()) text += file_name_utf8(w.place.file) + ":" + std::to_string(w.place.line) + ": ";
      text += "warning " + w.code + ": " + w.message;
      append_escaped(out, text);
      out += "</a></li>";
    }
    out += "</ol>";
  }
  return out;
}

nlohmann::json data_json(const ViewInput& in, const Items& items,
                         const std::map<std::string, int>& counts) {
  const Scenario& s = *in.scenario;
  nlohmann::json d;
  d["title"] = title_of(in.names);
  d["scenario"] = as_utf8(in.names.scenario);
  d["train"] = as_utf8(in.names.train);
  d["from_sources"] = in.from_sources;
  d["length"] = s.table[84].long2;
  d["last_cell"] = s.last_cell;
  d["error_code"] = s.error_code;
  d["error_position"] = s.error_position;
  d["counts"] = counts;
  // The details of the n-th item of either drawing.
  nlohmann::json details = nlohmann::json::array();
  for (const Item& it : items) details.push_back(it.details);
  d["details"] = std::move(details);
  // The points of the block pass: [cell, slowdown cell, capped].
  nlohmann::json block = nlohmann::json::array();
  for (const Item& it : items) {
    if (it.block_slowdown >= 0) block.push_back({it.cell, it.block_slowdown, it.block_capped ? 1 : 0});
  }
  d["block"] = std::move(block);
  nlohmann::json km = nlohmann::json::array();
  for (const KilometrePiece& k : kilometre_pieces(s)) km.push_back({k.from, k.offset});
  d["km"] = std::move(km);
  nlohmann::json diags = nlohmann::json::array();
  for (const Diagnostic& g : in.diagnostics) {
    nlohmann::json j;
    j["code"] = g.code;
    if (g.position) j["position"] = *g.position;
    if (g.line > 0) {
      j["file"] = file_name_utf8(g.file);
      j["line"] = g.line;
    }
    j["message"] = as_utf8(g.message);
    diags.push_back(std::move(j));
  }
  d["diagnostics"] = std::move(diags);
  if (in.fatal) d["fatal"] = as_utf8(*in.fatal);
  return d;
}

}  // namespace

ViewParts render_parts(const ViewInput& in, const RunBoth& run_both) {
  ViewParts p;
  p.title = title_of(in.names);
  const Items items = in.scenario->track_allocated ? collect_items(in) : Items{};
  std::map<std::string, int> counts;
  for (const char* k : kCountedKinds) counts[k] = 0;
  for (const Item& it : items) ++counts[it.kind];
  p.summary = summary_html(in, items, counts);
  if (!in.scenario->track_allocated) {
    p.plan = "<svg id=\"plan\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 600 60\" data-u=\"1\">"
             "<text x=\"10\" y=\"30\">Nothing compiled: the line description never sized the track.</text></svg>";
    p.profile = "<svg id=\"profile\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 600 60\" data-m0=\"0\" "
                "data-m1=\"50\" data-left=\"0\" data-right=\"600\"><text x=\"10\" y=\"30\">No track.</text></svg>";
    Scenario empty;
    ViewInput shown = in;
    shown.scenario = &empty;
    shown.origins = nullptr;
    p.tables = tables_html(shown);
    p.data = data_json(in, items, counts);
    return p;
  }
  // The plan (the path's simplification, most of the work) beside the rest.
  // Each task writes only its own members of p.
  const auto plan = [&] { p.plan = plan_svg(*in.scenario, items); };
  const auto rest = [&] {
    p.profile = profile_svg(*in.scenario, items);
    p.tables = tables_html(in);
    p.data = data_json(in, items, counts);
  };
  if (run_both) {
    run_both(plan, rest);
  } else {
    plan();
    rest();
  }
  return p;
}

nlohmann::json parts_json(const ViewParts& parts) {
  nlohmann::json j;
  j["title"] = parts.title;
  j["summary"] = parts.summary;
  j["plan"] = std::string(parts.plan);
  j["profile"] = std::string(parts.profile);
  j["tables"] = parts.tables;
  j["data"] = parts.data;
  return j;
}

std::string standalone_svg(std::string_view svg) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += svg;
  out += "\n";
  return out;
}

void write_page(const ViewParts& parts, ByteSink& sink, const std::string& live_events) {
  std::string out;
  auto put = [&](std::string_view text) { sink.write(text.data(), text.size()); };
  out += "<!DOCTYPE html>\n<html lang=\"en\"";
  if (!live_events.empty()) {
    out += " data-live=\"";
    append_escaped(out, live_events);
    out += "\"";
  }
  out += "><head><meta charset=\"utf-8\"><link rel=\"icon\" href=\"data:,\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
         "style-src 'unsafe-inline'; script-src 'unsafe-inline'; img-src data:; connect-src 'self'\">"
         "<title>";
  append_escaped(out, parts.title);
  out += "</title><style>";
  out += kViewCss;
  out += "</style></head><body>\n<header id=\"summary\">";
  put(out);
  put(parts.summary);
  put("</header>\n<main><section id=\"plan-box\" class=\"box\"><div class=\"bar\"><span>Plan</span>"
      "<button type=\"button\" id=\"fit-plan\">Fit the whole line</button></div>");
  put(parts.plan);
  put("</section>\n<section id=\"profile-box\" class=\"box\"><div class=\"bar\"><span>Profile</span>"
      "<button type=\"button\" id=\"fit-profile\">Fit the whole line</button></div>");
  put(parts.profile);
  put("</section>\n<aside id=\"details\" aria-live=\"polite\"><p class=\"hint\">Point at an item, or focus it "
      "with the keyboard, to see its details.</p></aside>\n<section id=\"tables\">");
  put(parts.tables);
  put("</section></main>\n<script type=\"application/json\" id=\"view-data\">");
  // No "<" in the data at all: it can only stand inside strings, where
  // \u003c means the same, and so nothing in it can end the script element.
  const std::string json = parts.data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  size_t from = 0;
  for (size_t at = json.find('<'); at != std::string::npos; at = json.find('<', from)) {
    put(std::string_view(json).substr(from, at - from));
    put("\\u003c");
    from = at + 1;
  }
  put(std::string_view(json).substr(from));
  put("</script>\n<script>");
  put(kViewJs);
  put("</script></body></html>\n");
}

std::string render_page(const ViewParts& parts, const std::string& live_events) {
  StringSink sink;
  sink.bytes.reserve(parts.plan.size() + parts.profile.size() + parts.summary.size() + parts.tables.size() +
                     (1 << 20));
  write_page(parts, sink, live_events);
  return std::move(sink.bytes);
}

}  // namespace compactor::view
