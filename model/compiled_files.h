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
#include "model/scenario.h"

namespace compactor {

inline constexpr size_t kCellRecordSize = 15;
inline constexpr size_t kEntryFixedSize = 34;

void write_path_file(const Scenario& s, ByteSink& out);
void write_table_file(const Scenario& s, ByteSink& out);
void write_track_file(const Scenario& s, ByteSink& out);

}  // namespace compactor
