#include "driver/report.h"

#include <cstdio>

#include "documents/windows1252.h"
#include "driver/json_text.h"

namespace compactor {
namespace {

bool is_number(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::string format_diagnostic(const Diagnostic& d) {
  std::string out;
  if (!d.file.empty()) {
    out += d.file;
    if (d.line > 0) out += ":" + std::to_string(d.line);
    out += ": ";
  }
  out += "error " + std::to_string(d.code) + ": " + d.message;
  if (d.position) out += " (at " + std::to_string(*d.position) + " m)";
  out += "\n";
  if (d.line > 0 && !d.source_line.empty()) {
    out += "    " + d.source_line + "\n    ";
    for (int i = 0; i < d.column && i < static_cast<int>(d.source_line.size()); ++i) {
      out += d.source_line[static_cast<size_t>(i)] == '\t' ? '\t' : ' ';
    }
    out += "^\n";
  }
  return out;
}

nlohmann::ordered_json to_json(const RunReport& r) {
  nlohmann::ordered_json out;
  out["error_code"] = r.error_code;
  out["error_position"] = r.error_position;
  nlohmann::ordered_json diagnostics = nlohmann::ordered_json::array();
  for (const Diagnostic& d : r.diagnostics) {
    nlohmann::ordered_json j;
    j["code"] = d.code;
    if (d.position) j["position"] = *d.position;
    // File names pass through as the platform gives them; the messages quote
    // the sources' Windows-1252 bytes.
    if (!d.file.empty()) j["file"] = d.file;
    if (d.line > 0) j["line"] = d.line;
    j["message"] = windows1252_to_utf8(d.message);
    diagnostics.push_back(std::move(j));
  }
  out["diagnostics"] = std::move(diagnostics);
  if (r.fatal) {
    if (is_number(*r.fatal)) out["fatal"] = std::stoi(*r.fatal);
    else out["fatal"] = *r.fatal;
  }
  out["written"] = r.written;
  return out;
}

std::string format_json(const RunReport& r) { return dump_spaced(to_json(r)) + "\n"; }

}  // namespace compactor
