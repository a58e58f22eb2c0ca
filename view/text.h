// Text helpers of the view: escaping for HTML and XML, UTF-8 for texts of
// unknown encoding, and numbers written the same way on every platform (no
// locale, no printf of reals).
// Depends on model/path_storage.h and documents/windows1252.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/path_storage.h"

namespace compactor::view {

// The text of a drawing: megabytes written once, held in the path's storage
// (whole huge pages) so that writing it costs a few page faults instead of
// one per 4 KiB.
using Text = std::basic_string<char, std::char_traits<char>, PathAllocator<char>>;

// &, <, >, " and ' as entities: safe in element text and in quoted attributes.
void append_escaped(std::string& out, std::string_view text);
void append_escaped(Text& out, std::string_view text);
std::string escaped(std::string_view text);

// The text itself when it is UTF-8, else its bytes read as Windows-1252
// (source lines and messages that quote them).
std::string as_utf8(std::string_view text);

// A file name as given on the command line, as UTF-8 (see as_utf8).
inline std::string file_name_utf8(std::string_view name) { return as_utf8(name); }

// A real as a decimal with at most two decimals, rounded to the nearest
// hundredth (halves away from zero), trailing zeros dropped: 12.5, -3, 0.07.
// Values beyond +-1e13 are clamped.
void append_hundredths(std::string& out, int64_t hundredths);
void append_hundredths(Text& out, int64_t hundredths);
int64_t to_hundredths(double v);
inline void append_real(std::string& out, double v) { append_hundredths(out, to_hundredths(v)); }
inline void append_real(Text& out, double v) { append_hundredths(out, to_hundredths(v)); }
std::string real_text(double v);

}  // namespace compactor::view
