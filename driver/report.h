// How a run tells its outcome: diagnostics and warnings as GCC and Clang
// print them on standard error, one JSON object on standard output, or a
// SARIF 2.1.0 log for code-scanning tools and editors.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/warnings.h"
#include "model/diagnostic.h"

namespace compactor {

struct RunReport {
  int32_t error_code = 0;
  int32_t error_position = 0;
  std::vector<Diagnostic> diagnostics;
  // Set by the commands that collect warnings (compile, check): the JSON
  // report then carries a "warnings" array.
  std::optional<std::vector<Warning>> warnings;
  std::vector<std::string> written;
  std::optional<std::string> fatal;  // a number ("1250") or a short reason
};

// FILE:LINE:COL: error CODE: MESSAGE (at POSITION m), the source line with a
// caret under the field that caused it, then each note in the same form
// (FILE:LINE:COL: note: MESSAGE, its line and caret).
std::string format_diagnostic(const Diagnostic& d);
// FILE:LINE:COL: warning: MESSAGE [-WNAME], its line and caret, its notes.
std::string format_warning(const Warning& w);

// Faults and warnings as compile prints them. With warnings (even none),
// in the order of their files (the line description first) and lines, what
// belongs to no row last; without, the faults in the order found.
std::string format_diagnostics(const std::vector<Diagnostic>& diagnostics,
                               const std::vector<Warning>* warnings,
                               const std::string& line_source, const std::string& service_source);

// The report as one JSON object, keys in a fixed order, messages as UTF-8.
nlohmann::ordered_json to_json(const RunReport& r);
// That object on one line, with a blank after every ":" and ",".
std::string format_json(const RunReport& r);

// A SARIF 2.1.0 log of the faults (rules E1 to E1251, level error) and the
// warnings (rules named as the warnings, level warning), each with its
// physical location and its notes as related locations. A fault of no row
// (the block pass's) takes the place of its first note.
nlohmann::ordered_json to_sarif(const std::vector<Diagnostic>& diagnostics,
                                const std::vector<Warning>& warnings);
std::string format_sarif(const std::vector<Diagnostic>& diagnostics,
                         const std::vector<Warning>& warnings);

}  // namespace compactor
