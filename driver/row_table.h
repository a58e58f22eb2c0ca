// A row table: a writer's content as preformatted text rows, filled from
// index 0 and ended by the end marker, which is never written. Rows hold bytes
// of the ANSI code page (Windows-1252) exactly as they go into the file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace compactor {

inline constexpr std::string_view kEndMarker = "riferimento fine del file";
inline constexpr size_t kRowTableCapacity = 1001;

using RowTable = std::vector<std::string>;

// The file's bytes: each row up to the first one equal to the end marker,
// followed by CR LF.
std::string render_rows(const RowTable& rows);

// Replaces the file at `path` with render_rows(rows).
void write_rows(const std::string& path, const RowTable& rows);

}  // namespace compactor
