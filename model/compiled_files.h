// The three compiled files in their exact byte layout: little-endian, fields
// back to back in declaration order, arrays as their elements only.
//
// - path file: every x of points 0 to path end, then every y, each a tagged
//   value (tag 2 + int16 for points 0 and 1, tag 5 + float64 for computed
//   points, tag 0 alone for a point never computed);
// - table file: the 87 entries, each 34 bytes plus the length of its text;
// - track file: every cell as a 15-byte record.
#pragma once

#include <cstddef>

#include "model/byte_sink.h"
#include "model/path_watch.h"
#include "model/scenario.h"

namespace compactor {

inline constexpr size_t kCellRecordSize = 15;
inline constexpr size_t kEntryFixedSize = 34;

void write_path_file(const Scenario& s, ByteSink& out);
// The same bytes as write_path_file, written while the compile publishing to
// `watch` still runs (see model/path_watch.h), then from the path it closes
// the watch with. Throws PathWatch::Abandoned when it is closed with none,
// and PathWatch::Lost when the path does not continue what was published
// (the caller then writes the file afresh).
void write_path_file_following(PathWatch& watch, ByteSink& out);
void write_table_file(const Scenario& s, ByteSink& out);
void write_track_file(const Scenario& s, ByteSink& out);

}  // namespace compactor
