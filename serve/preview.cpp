#include "serve/preview.h"

#include "driver/report.h"

namespace compactor::serve {

std::string utf8_of_windows1252(const std::string& text) {
  // 0x80 to 0x9F; 0 where the code page has no character (kept as U+FFFD).
  static const char16_t kHigh[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    char32_t cp = u;
    if (u >= 0x80 && u < 0xA0) cp = kHigh[u - 0x80] != 0 ? kHigh[u - 0x80] : 0xFFFD;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::string terminal_text(const Look& look) {
  std::string out;
  for (const Diagnostic& d : look.diagnostics) out += format_diagnostic(d);
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
                        {"message", d.message},
                        {"text", utf8_of_windows1252(format_diagnostic(d))}};
    j["position"] = d.position ? nlohmann::json(*d.position) : nlohmann::json();
    diagnostics.push_back(std::move(j));
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
                          {"faults", std::move(faults)},
                          {"written", std::move(written)}};
  state["picture"] = picture_ ? *picture_ : nlohmann::json();
  return state;
}

}  // namespace compactor::serve
