#include "format/format.h"

#include "format/row_layout.h"

namespace compactor::format {

std::vector<SourceLine> split_lines(std::string_view text) {
  std::vector<SourceLine> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) {
      lines.push_back({text.substr(start), {}});
      break;
    }
    size_t content_end = nl;
    if (content_end > start && text[content_end - 1] == '\r') --content_end;
    lines.push_back({text.substr(start, content_end - start), text.substr(content_end, nl + 1 - content_end)});
    start = nl + 1;
  }
  return lines;
}

std::string format_line(std::string_view line) {
  if (std::optional<Row> row = parse_row(line)) return layout_row(*row);
  return std::string(line);
}

std::vector<LineEdit> format_edits(std::string_view text) {
  std::vector<LineEdit> edits;
  const std::vector<SourceLine> lines = split_lines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string formatted = format_line(lines[i].text);
    if (formatted != lines[i].text) edits.push_back({i, std::move(formatted)});
  }
  return edits;
}

std::string format_source(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const SourceLine& line : split_lines(text)) {
    out += format_line(line.text);
    out += line.end;
  }
  return out;
}

}  // namespace compactor::format
