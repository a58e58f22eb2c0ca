#include "serve/preview.h"

#include <algorithm>

#include "documents/windows1252.h"
#include "driver/report.h"

namespace compactor::serve {

std::string utf8_of_windows1252(const std::string& text) { return windows1252_to_utf8(text); }

std::string terminal_text(const Look& look) {
  std::string out = format_diagnostics(look.diagnostics, &look.warnings, look.line_source, look.service_source);
  for (const std::string& f : look.faults) out += f + "\n";
  return out;
}

nlohmann::json Preview::next(Look look) {
  ++generation_;
  if (look.picture) {
    picture_ = std::move(look.picture);
    picture_time_ = look.time;
    picture_generation_ = generation_;
  }
  nlohmann::json diagnostics = nlohmann::json::array();
  for (const Diagnostic& d : look.diagnostics) {
    nlohmann::json j = {{"code", d.code},
                        {"file", utf8_of_windows1252(d.file)},
                        {"line", d.line},
                        {"column", d.column},
                        {"message", utf8_of_windows1252(d.message)},
                        {"text", utf8_of_windows1252(format_diagnostic(d))}};
    j["position"] = d.position ? nlohmann::json(*d.position) : nlohmann::json();
    diagnostics.push_back(std::move(j));
  }
  nlohmann::json warnings = nlohmann::json::array();
  for (const Warning& w : look.warnings) {
    warnings.push_back({{"name", w.name},
                        {"file", utf8_of_windows1252(w.file)},
                        {"line", w.line},
                        {"column", w.column},
                        {"message", utf8_of_windows1252(w.message)},
                        {"text", utf8_of_windows1252(format_warning(w))}});
  }
  nlohmann::json faults = nlohmann::json::array();
  for (const std::string& f : look.faults) faults.push_back(utf8_of_windows1252(f));
  nlohmann::json written = nlohmann::json::array();
  for (const std::string& w : look.written) written.push_back(utf8_of_windows1252(w));
  nlohmann::json state = {{"generation", generation_},
                          {"time", look.time},
                          {"current", picture_generation_ == generation_},
                          {"picture_time", picture_time_},
                          {"picture_generation", picture_generation_},
                          {"diagnostics", std::move(diagnostics)},
                          {"warnings", std::move(warnings)},
                          {"faults", std::move(faults)},
                          {"written", std::move(written)}};
  state["picture"] = picture_ ? *picture_ : nlohmann::json();
  return state;
}

}  // namespace compactor::serve
