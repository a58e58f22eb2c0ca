// How a run tells its outcome: diagnostics as compilers print them on
// standard error, or one JSON object on standard output.
#pragma once

#include <optional>
#include <string>
#include <vector>

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

std::string format_json(const RunReport& r);

}  // namespace compactor
