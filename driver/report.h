// How a run tells its outcome: diagnostics as compilers print them on
// standard error, or one JSON object on standard output.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/diagnostic.h"

namespace compactor {

struct RunReport {
  int32_t error_code = 0;
  int32_t error_position = 0;
  std::vector<Diagnostic> diagnostics;
  std::vector<std::string> written;
  std::optional<std::string> fatal;  // a number ("1250") or a short reason
};

// FILE:LINE: error CODE: MESSAGE (at POSITION m), then the source line and a
// caret under the key field where there is one.
std::string format_diagnostic(const Diagnostic& d);

// The report as one JSON object, keys in a fixed order, messages as UTF-8.
nlohmann::ordered_json to_json(const RunReport& r);
// That object on one line, with a blank after every ":" and ",".
std::string format_json(const RunReport& r);

}  // namespace compactor
