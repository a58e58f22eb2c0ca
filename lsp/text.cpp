#include "lsp/text.h"

#include "documents/windows1252.h"
#include "format/format.h"

namespace compactor::lsp {
namespace {

// The length of the UTF-8 sequence starting with byte b, or 1 when b cannot start one.
size_t sequence_length(unsigned char b) {
  if (b < 0x80) return 1;
  if ((b & 0xE0) == 0xC0) return 2;
  if ((b & 0xF0) == 0xE0) return 3;
  if ((b & 0xF8) == 0xF0) return 4;
  return 1;
}

bool well_formed(std::string_view line, size_t at, size_t n) {
  if (at + n > line.size()) return false;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(line[at + k]) & 0xC0) != 0x80) return false;
  }
  return true;
}

int hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int utf16_column(std::string_view line, size_t byte_column) {
  int units = 0;
  size_t i = 0;
  while (i < line.size() && i < byte_column) {
    size_t n = sequence_length(static_cast<unsigned char>(line[i]));
    if (!well_formed(line, i, n)) n = 1;
    units += n == 4 ? 2 : 1;
    i += n;
  }
  if (byte_column > line.size()) units += static_cast<int>(byte_column - line.size());
  return units;
}

size_t byte_column(std::string_view line, int utf16) {
  int units = 0;
  size_t i = 0;
  while (i < line.size() && units < utf16) {
    size_t n = sequence_length(static_cast<unsigned char>(line[i]));
    if (!well_formed(line, i, n)) n = 1;
    units += n == 4 ? 2 : 1;
    i += n;
  }
  return i;
}

std::string as_document_text(std::string_view bytes) {
  return utf8_or_windows1252(bytes);
}

std::vector<std::string_view> text_lines(std::string_view text) {
  std::vector<std::string_view> out;
  for (const format::SourceLine& l : format::split_lines(text)) out.push_back(l.text);
  return out;
}

std::optional<std::string> uri_to_path(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.substr(0, kScheme.size()) != kScheme) return std::nullopt;
  std::string_view rest = uri.substr(kScheme.size());
  // An authority ("localhost" or empty) before the path.
  const size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  rest = rest.substr(slash);
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() + 0 && hex(rest[i + 1]) >= 0 && hex(rest[i + 2]) >= 0) {
      path += static_cast<char>(hex(rest[i + 1]) * 16 + hex(rest[i + 2]));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  // "/C:/x" is a Windows path.
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  return path;
}

std::string path_to_uri(std::string_view path) {
  static const char* digits = "0123456789ABCDEF";
  std::string uri = "file://";
  if (!path.empty() && path[0] != '/') uri += '/';
  for (char c : path) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '~' || c == ':';
    if (c == '\\') {
      uri += '/';
    } else if (plain) {
      uri += c;
    } else {
      uri += '%';
      uri += digits[u >> 4];
      uri += digits[u & 15];
    }
  }
  return uri;
}

std::string parent_folder(std::string_view path) {
  const size_t cut = path.find_last_of("/\\");
  if (cut == std::string_view::npos) return ".";
  if (cut == 0) return "/";
  return std::string(path.substr(0, cut));
}

std::string file_name(std::string_view path) {
  const size_t cut = path.find_last_of("/\\");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace compactor::lsp
