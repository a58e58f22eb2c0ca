#include "driver/report.h"

#include <cstdio>

namespace compactor {
namespace {

void append_json_string(std::string& out, const std::string& s) {
  out += '"';
  for (char c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (u < 0x20 || u >= 0x7f) {
      // Bytes outside ASCII are characters of the ANSI code page's first
      // 256 code points; each becomes one escaped code point.
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  out += '"';
}

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

std::string format_json(const RunReport& r) {
  std::string out = "{\"error_code\": " + std::to_string(r.error_code) +
                    ", \"error_position\": " + std::to_string(r.error_position) +
                    ", \"diagnostics\": [";
  bool first = true;
  for (const Diagnostic& d : r.diagnostics) {
    if (!first) out += ", ";
    first = false;
    out += "{\"code\": " + std::to_string(d.code);
    if (d.position) out += ", \"position\": " + std::to_string(*d.position);
    if (!d.file.empty()) {
      out += ", \"file\": ";
      append_json_string(out, d.file);
    }
    if (d.line > 0) out += ", \"line\": " + std::to_string(d.line);
    out += ", \"message\": ";
    append_json_string(out, d.message);
    out += "}";
  }
  out += "]";
  if (r.fatal) {
    out += ", \"fatal\": ";
    if (is_number(*r.fatal)) out += *r.fatal;
    else append_json_string(out, *r.fatal);
  }
  out += ", \"written\": [";
  first = true;
  for (const std::string& name : r.written) {
    if (!first) out += ", ";
    first = false;
    append_json_string(out, name);
  }
  out += "]}\n";
  return out;
}

}  // namespace compactor
