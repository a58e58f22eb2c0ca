#include "lsp/framing.h"

#include <cctype>

namespace compactor::lsp {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<size_t> content_length(std::string_view header_block) {
  std::optional<size_t> length;
  size_t start = 0;
  while (start < header_block.size()) {
    size_t end = header_block.find('\n', start);
    if (end == std::string_view::npos) end = header_block.size();
    const std::string_view line = trim(header_block.substr(start, end - start));
    start = end + 1;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      if (line.empty()) continue;
      return std::nullopt;  // not a header field
    }
    if (lower(trim(line.substr(0, colon))) != "content-length") continue;
    if (length) return std::nullopt;
    const std::string_view value = trim(line.substr(colon + 1));
    if (value.empty() || value.size() > 12) return std::nullopt;
    size_t n = 0;
    for (char c : value) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + static_cast<size_t>(c - '0');
    }
    length = n;
  }
  return length;
}

std::string frame(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out += body;
  return out;
}

}  // namespace compactor::lsp
