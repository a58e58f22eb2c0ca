// The page until the view's page is part of the program: a summary, a plan
// with the diagnostics at their places, and the list of diagnostics.
#include "serve/picture.h"

#include <cmath>
#include <string>

#include "serve/preview.h"

namespace compactor::serve {
namespace {

std::string escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string plan_svg(const CompiledScenario& compiled) {
  const Scenario& s = compiled.scenario;
  const double length = std::max(1, s.last_cell) * 50.0;
  auto x = [&](double metres) { return std::to_string(10 + 980 * metres / length); };
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" id=\"plan\" viewBox=\"0 0 1000 60\">"
      "<line x1=\"10\" y1=\"30\" x2=\"990\" y2=\"30\" stroke=\"#444\" stroke-width=\"2\"/>";
  for (size_t i = 0; i < s.track.size(); ++i) {
    if (s.track[i].kind != kSignal) continue;
    svg += "<line class=\"item\" data-kind=\"signal\" data-cell=\"" + std::to_string(i) +
           "\" x1=\"" + x(50.0 * i) + "\" y1=\"22\" x2=\"" + x(50.0 * i) +
           "\" y2=\"38\" stroke=\"#060\"/>";
  }
  for (const Diagnostic& d : s.diagnostics) {
    if (!d.position) continue;
    const long cell = std::lround(*d.position / 50.0);
    svg += "<circle class=\"item\" data-kind=\"diagnostic\" data-code=\"" + std::to_string(d.code) +
           "\" data-cell=\"" + std::to_string(cell) + "\" data-metres=\"" +
           std::to_string(*d.position) + "\" data-source=\"" + escape(utf8_of_windows1252(d.file)) +
           ":" + std::to_string(d.line) + "\" cx=\"" + x(*d.position) +
           "\" cy=\"30\" r=\"6\" fill=\"#c00\"><title>" +
           escape(utf8_of_windows1252(d.message)) + "</title></circle>";
  }
  return svg + "</svg>";
}

}  // namespace

nlohmann::json picture_parts(const CompiledScenario& compiled, const Origins&) {
  const Scenario& s = compiled.scenario;
  std::string summary = "<h1>" + escape(utf8_of_windows1252(s.names.scenario)) + " · " +
                        escape(utf8_of_windows1252(s.names.train)) + "</h1><p>" +
                        std::to_string(s.last_cell * 50) + " m, " +
                        std::to_string(s.diagnostics.size()) + " diagnostics</p>";
  std::string tables = "<ul class=\"diagnostics\">";
  for (const Diagnostic& d : s.diagnostics) {
    tables += "<li class=\"diagnostic\" data-code=\"" + std::to_string(d.code) + "\">" +
              escape(utf8_of_windows1252(d.file)) + ":" + std::to_string(d.line) + ": error " +
              std::to_string(d.code) + ": " + escape(utf8_of_windows1252(d.message)) +
              (d.position ? " (at " + std::to_string(*d.position) + " m)" : "") + "</li>";
  }
  tables += "</ul>";
  return {{"summary", summary}, {"plan", plan_svg(compiled)}, {"profile", ""},
          {"tables", tables}, {"data", nlohmann::json::object()}};
}

std::string preview_page(const nlohmann::json&) {
  return std::string(
             "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>compactor</title><link rel=\"icon\" href=\"data:,\">"
             "<style>body{font-family:sans-serif;margin:0}main{padding:0 1em}"
             "svg#plan{width:100%;height:80px}</style></head><body><main>"
             "<div id=\"summary\"></div><div id=\"drawing\"></div><div id=\"tables\"></div>"
             "</main><script>\n"
             "window.compactorView = {apply: function (parts) {\n"
             "  ['summary', 'tables'].forEach(function (k) {\n"
             "    document.getElementById(k).innerHTML = parts[k];\n"
             "  });\n"
             "  document.getElementById('drawing').innerHTML = parts.plan;\n"
             "}};\n</script><script>\n") +
         kLiveScript + "</script></body></html>\n";
}

}  // namespace compactor::serve
