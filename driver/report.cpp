#include "driver/report.h"

#include <algorithm>

#include <cstdio>

#include "documents/windows1252.h"
#include "driver/version.h"
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

// FILE:LINE:COL: as far as each is known.
std::string place(const std::string& file, int line, int column) {
  if (file.empty()) return "";
  std::string out = file;
  if (line > 0) {
    out += ":" + std::to_string(line);
    if (column > 0) out += ":" + std::to_string(column);
  }
  return out + ": ";
}

// The source line, indented, and a caret under its field (tabs kept, so the
// caret lines up however the terminal shows them).
std::string excerpt_lines(const std::string& source_line, int caret) {
  if (source_line.empty()) return "";
  std::string out = "    " + source_line + "\n    ";
  for (int i = 0; i < caret && i < static_cast<int>(source_line.size()); ++i) {
    out += source_line[static_cast<size_t>(i)] == '\t' ? '\t' : ' ';
  }
  return out + "^\n";
}

std::string format_notes(const std::vector<Note>& notes) {
  std::string out;
  for (const Note& n : notes) {
    out += place(n.file, n.line, n.column) + "note: " + n.message + "\n";
    if (n.line > 0) out += excerpt_lines(n.excerpt.source_line, n.excerpt.caret);
  }
  return out;
}

nlohmann::ordered_json notes_json(const std::vector<Note>& notes) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const Note& n : notes) {
    nlohmann::ordered_json j;
    if (!n.file.empty()) j["file"] = n.file;
    if (n.line > 0) j["line"] = n.line;
    if (n.column > 0) j["column"] = n.column;
    j["message"] = windows1252_to_utf8(n.message);
    out.push_back(std::move(j));
  }
  return out;
}

}  // namespace

std::string format_diagnostic(const Diagnostic& d) {
  std::string out = place(d.file, d.line, d.column);
  out += "error " + std::to_string(d.code) + ": " + d.message;
  if (d.position) out += " (at " + std::to_string(*d.position) + " m)";
  out += "\n";
  if (d.line > 0) out += excerpt_lines(d.source_line, d.caret);
  return out + format_notes(d.notes);
}

std::string format_warning(const Warning& w) {
  std::string out = place(w.file, w.line, w.column) + "warning: " + w.message + " [-W" + w.name + "]\n";
  if (w.line > 0) out += excerpt_lines(w.excerpt.source_line, w.excerpt.caret);
  return out + format_notes(w.notes);
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
    if (d.column > 0) j["column"] = d.column;
    j["message"] = windows1252_to_utf8(d.message);
    if (!d.notes.empty()) j["notes"] = notes_json(d.notes);
    diagnostics.push_back(std::move(j));
  }
  out["diagnostics"] = std::move(diagnostics);
  if (r.warnings) {
    nlohmann::ordered_json warnings = nlohmann::ordered_json::array();
    for (const Warning& w : *r.warnings) {
      nlohmann::ordered_json j;
      j["name"] = w.name;
      j["file"] = w.file;
      j["line"] = w.line;
      j["column"] = w.column;
      j["message"] = windows1252_to_utf8(w.message);
      j["notes"] = notes_json(w.notes);
      warnings.push_back(std::move(j));
    }
    out["warnings"] = std::move(warnings);
  }
  if (r.fatal) {
    if (is_number(*r.fatal)) out["fatal"] = std::stoi(*r.fatal);
    else out["fatal"] = *r.fatal;
  }
  out["written"] = r.written;
  return out;
}

std::string format_json(const RunReport& r) { return dump_spaced(to_json(r)) + "\n"; }

namespace {

// A file name as a SARIF artifact URI: relative names stay relative, with
// every byte outside the unreserved characters and "/" percent-encoded.
std::string artifact_uri(const std::string& file) {
  static const char* hex = "0123456789ABCDEF";
  std::string out = !file.empty() && file[0] == '/' ? "file://" : "";
  for (char c : file) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.' || c == '~' || c == '/') {
      out += c;
    } else if (c == '\\') {
      out += '/';
    } else {
      out += '%';
      out += hex[u >> 4];
      out += hex[u & 15];
    }
  }
  return out;
}

nlohmann::ordered_json physical_location(const std::string& file, int line, int column,
                                         const std::string& source_line) {
  nlohmann::ordered_json loc;
  loc["artifactLocation"]["uri"] = artifact_uri(file);
  if (line > 0) {
    nlohmann::ordered_json region;
    region["startLine"] = line;
    if (column > 0) region["startColumn"] = column;
    if (!source_line.empty()) region["snippet"]["text"] = windows1252_to_utf8(source_line);
    loc["region"] = std::move(region);
  }
  return loc;
}

struct SarifResult {
  std::string rule;
  const char* level;
  std::string message;
  std::string file;
  int line;
  int column;
  std::string source_line;
  const std::vector<Note>* notes;
};

}  // namespace

nlohmann::ordered_json to_sarif(const std::vector<Diagnostic>& diagnostics,
                                const std::vector<Warning>& warnings) {
  std::vector<SarifResult> results;
  for (const Diagnostic& d : diagnostics) {
    std::string message = d.message;
    if (d.position) message += " (at " + std::to_string(*d.position) + " m)";
    results.push_back({"E" + std::to_string(d.code), "error", message, d.file, d.line, d.column,
                       d.source_line, &d.notes});
  }
  for (const Warning& w : warnings) {
    results.push_back({w.name, "warning", w.message, w.file, w.line, w.column, w.excerpt.source_line,
                       &w.notes});
  }

  nlohmann::ordered_json rules = nlohmann::ordered_json::array();
  std::vector<std::string> rule_ids;
  auto rule_index = [&](const SarifResult& r) {
    for (size_t i = 0; i < rule_ids.size(); ++i) {
      if (rule_ids[i] == r.rule) return i;
    }
    nlohmann::ordered_json rule;
    rule["id"] = r.rule;
    if (r.rule[0] == 'E') {
      rule["shortDescription"]["text"] = error_message(std::stoi(r.rule.substr(1)));
    } else {
      rule["shortDescription"]["text"] = "warning -W" + r.rule;
    }
    rule["defaultConfiguration"]["level"] = r.level;
    rules.push_back(std::move(rule));
    rule_ids.push_back(r.rule);
    return rule_ids.size() - 1;
  };

  nlohmann::ordered_json out_results = nlohmann::ordered_json::array();
  for (const SarifResult& r : results) {
    nlohmann::ordered_json j;
    j["ruleId"] = r.rule;
    j["ruleIndex"] = rule_index(r);
    j["level"] = r.level;
    j["message"]["text"] = windows1252_to_utf8(r.message);
    // A fault of no row stands where its first placed note does.
    std::string file = r.file;
    int line = r.line, column = r.column;
    std::string source_line = r.source_line;
    if (line == 0) {
      for (const Note& n : *r.notes) {
        if (n.line > 0) {
          if (file.empty() || file == n.file) {
            file = n.file, line = n.line, column = n.column, source_line = n.excerpt.source_line;
          }
          break;
        }
      }
    }
    nlohmann::ordered_json locations = nlohmann::ordered_json::array();
    if (!file.empty()) {
      nlohmann::ordered_json loc;
      loc["physicalLocation"] = physical_location(file, line, column, source_line);
      locations.push_back(std::move(loc));
    }
    j["locations"] = std::move(locations);
    nlohmann::ordered_json related = nlohmann::ordered_json::array();
    int id = 1;
    for (const Note& n : *r.notes) {
      if (n.file.empty()) {
        // A note of no place belongs to the message.
        j["message"]["text"] = j["message"]["text"].get<std::string>() + "; " + windows1252_to_utf8(n.message);
        continue;
      }
      nlohmann::ordered_json loc;
      loc["id"] = id++;
      loc["physicalLocation"] = physical_location(n.file, n.line, n.column, n.excerpt.source_line);
      loc["message"]["text"] = windows1252_to_utf8(n.message);
      related.push_back(std::move(loc));
    }
    if (!related.empty()) j["relatedLocations"] = std::move(related);
    out_results.push_back(std::move(j));
  }

  nlohmann::ordered_json log;
  log["$schema"] = "https://json.schemastore.org/sarif-2.1.0.json";
  log["version"] = "2.1.0";
  nlohmann::ordered_json run;
  run["tool"]["driver"]["name"] = "compactor";
  run["tool"]["driver"]["version"] = version();
  run["tool"]["driver"]["rules"] = std::move(rules);
  run["columnKind"] = "unicodeCodePoints";  // one byte of the sources is one code point
  run["results"] = std::move(out_results);
  log["runs"] = nlohmann::ordered_json::array({std::move(run)});
  return log;
}

std::string format_sarif(const std::vector<Diagnostic>& diagnostics,
                         const std::vector<Warning>& warnings) {
  return to_sarif(diagnostics, warnings).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string format_diagnostics(const std::vector<Diagnostic>& diagnostics,
                               const std::vector<Warning>* warnings,
                               const std::string& line_source, const std::string& service_source) {
  struct Entry {
    int rank;
    int line;
    std::string text;
  };
  auto rank = [&](const std::string& file, int line) {
    if (file.empty() || line == 0) return 2;
    if (file == line_source) return 0;
    if (file == service_source) return 1;
    return 2;
  };
  std::vector<Entry> entries;
  for (const Diagnostic& d : diagnostics) entries.push_back({rank(d.file, d.line), d.line, format_diagnostic(d)});
  if (warnings) {
    for (const Warning& w : *warnings) entries.push_back({rank(w.file, w.line), w.line, format_warning(w)});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
      return a.rank != b.rank ? a.rank < b.rank : a.rank < 2 && a.line < b.line;
    });
  }
  std::string out;
  for (const Entry& e : entries) out += e.text;
  return out;
}

}  // namespace compactor
