// Small sources for the compiler's tests: a general section followed by
// feature rows, compiled in memory the way the compile driver does it.
#pragma once

#include <string>
#include <vector>

#include "compiler/compiler.h"
#include "model/scenario.h"

namespace compactor::testing {

// A line description holding only the built-in general rows, and a service
// description with nothing in it.
inline const std::string kGeneralRows =
    "[generale]\r\n"
    "lunghezza percorso,    241000\r\n"
    "progressiva chilometrica uno,    0,    111000,    0\r\n"
    "progressiva chilometrica due,    0,    0,    0\r\n"
    "progressiva chilometrica tre,    0,    0,    0\r\n"
    "sfondo uno,    1\r\n"
    "sfondo due,    0\r\n"
    "sfondo tre,    0\r\n"
    "ripetizione segnali 4 codici,    0,    239000\r\n"
    "[fine]\r\n";
inline const std::string kEmptyService = "[generale]\r\n[fine]\r\n";

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
  std::vector<Diagnostic> diagnostics;
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
  c.report = memorizza_dati(c.s, sources, c.diagnostics);
  return c;
}

// A line of 241000 m with `line_rows`, and a service with `service_rows`.
inline Compiled compile_rows(const std::string& line_rows, const std::string& service_rows = "",
                             int32_t keep_path = 1) {
  return compile_texts(line_text(line_rows), service_text(service_rows), keep_path);
}

}  // namespace compactor::testing
