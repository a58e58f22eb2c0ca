// Small sources for the compiler's tests: a general section followed by
// feature rows, compiled in memory the way the compile driver does it.
#pragma once

#include <string>

#include "compiler/compiler.h"
#include "model/scenario.h"

namespace compactor::testing {

// "[generale]", the line length row, the other given general rows, then a
// feature section header and the rows.
inline std::string line_text(const std::string& rows, int length = 241000,
                             const std::string& general = "") {
  return "[generale]\r\nlunghezza percorso,    " + std::to_string(length) + "\r\n" + general +
         "[curve]\r\n" + rows + "[fine]\r\n";
}

inline std::string service_text(const std::string& rows) {
  return "[generale]\r\n" + rows + "[fine]\r\n";
}

struct Compiled {
  Scenario s;
  CompileReport report;
  const TrackCell& cell(int i) const { return s.track.at(static_cast<size_t>(i)); }
  const TableEntry& entry(int i) const { return s.table.at(static_cast<size_t>(i)); }
};

inline Compiled compile_texts(const std::optional<std::string>& line,
                              const std::optional<std::string>& service, int32_t keep_path = 1) {
  Compiled c;
  c.s.keep_path = keep_path;
  c.s.reset_table();
  Sources sources;
  if (line) sources.line = SourceText{"line.txt", *line};
  if (service) sources.service = SourceText{"svc.txt", *service};
  c.report = memorizza_dati(c.s, sources);
  return c;
}

// A line of 241000 m with `line_rows`, and a service with `service_rows`.
inline Compiled compile_rows(const std::string& line_rows, const std::string& service_rows = "",
                             int32_t keep_path = 1) {
  return compile_texts(line_text(line_rows), service_text(service_rows), keep_path);
}

}  // namespace compactor::testing
