// JSON on one line for people and scripts alike: nlohmann-json's own text for
// every number and string (its escaping, its shortest reals), with a blank
// after each ":" and "," between them, as {"a": 1, "b": [2, 3]}.
// A string that is not valid UTF-8 (a file name of other bytes) shows U+FFFD
// in place of each bad byte rather than failing.
// Part of driver/.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace compactor {

template <class Json>
void dump_spaced(const Json& j, std::string& out) {
  if (j.is_object()) {
    out += '{';
    bool first = true;
    for (auto it = j.begin(); it != j.end(); ++it) {
      if (!first) out += ", ";
      first = false;
      out += Json(it.key()).dump(-1, ' ', false, Json::error_handler_t::replace);
      out += ": ";
      dump_spaced(it.value(), out);
    }
    out += '}';
  } else if (j.is_array()) {
    out += '[';
    bool first = true;
    for (const auto& v : j) {
      if (!first) out += ", ";
      first = false;
      dump_spaced(v, out);
    }
    out += ']';
  } else {
    out += j.dump(-1, ' ', false, Json::error_handler_t::replace);
  }
}

template <class Json>
std::string dump_spaced(const Json& j) {
  std::string out;
  dump_spaced(j, out);
  return out;
}

}  // namespace compactor
