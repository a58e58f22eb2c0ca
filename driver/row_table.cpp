#include "driver/row_table.h"

#include "driver/files.h"

namespace compactor {

std::string render_rows(const RowTable& rows) {
  std::string out;
  for (const std::string& row : rows) {
    if (row == kEndMarker) break;
    out += row;
    out += "\r\n";
  }
  return out;
}

void write_rows(const std::string& path, const RowTable& rows) {
  const std::string bytes = render_rows(rows);
  replace_file(path, [&](ByteSink& out) { out.write(bytes.data(), bytes.size()); });
}

}  // namespace compactor
