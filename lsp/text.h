// Documents as the language server sees them: lines, positions in UTF-16 code
// units as the protocol counts them, and file URIs. Pure functions.
// Depends on format/ (the lines) and documents/ (the Windows-1252 table).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace compactor::lsp {

// The UTF-16 column of a byte column of a UTF-8 line (a byte that is not
// well-formed UTF-8 counts as one unit).
int utf16_column(std::string_view line, size_t byte_column);

// The byte column of a UTF-16 column (clamped to the line).
size_t byte_column(std::string_view line, int utf16);

// A file's bytes as the documents of an editor hold them: UTF-8 as it is,
// anything else read as Windows-1252, the sources' code page.
std::string as_document_text(std::string_view bytes);

// The lines of a text, without their ends (as format::split_lines).
std::vector<std::string_view> text_lines(std::string_view text);

// "file:///a/b%20c.txt" gives "/a/b c.txt"; nothing for other schemes.
// "file:///C:/x" gives "C:/x".
std::optional<std::string> uri_to_path(std::string_view uri);
std::string path_to_uri(std::string_view path);

// The folder of a path ("/a/b.txt" gives "/a"); the file name.
std::string parent_folder(std::string_view path);
std::string file_name(std::string_view path);

}  // namespace compactor::lsp
