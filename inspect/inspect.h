// What a decoded compiled file holds, for people (text) and for scripts
// (JSON, one object per file with the model's own field names). Pure
// functions of decoded files: no file is read here. Texts of the table are
// shown in UTF-8. Depends on model/ and documents/windows1252.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/byte_sink.h"
#include "model/decoder.h"

namespace compactor::inspect {

// The name of a cell kind ("signal", "slowdown start"), or "kind N".
std::string kind_name(uint8_t kind);

// Cells the text dump shows: those whose kind is not 0, or whose speed step,
// gradient code, adhesion or tunnel type differs from the cell before; cell 0
// always. With `all`, every cell. The text shows a cell's fields that are not
// 0, speeds in km/h (speed step x 5) and gradients as gradient code - 100
// (when that is not 0).
std::vector<size_t> shown_cells(const TrackCells& cells, bool all);

// The competition codes the names in entries 85 and 86 give, for the table
// dump to compare with what the files hold.
struct ExpectedCodes {
  int32_t table_code = 0;  // entry 85 long4
  int16_t track_code = 0;  // cell 1 paramB
};

// Points first to last, both included.
struct PointRange {
  int64_t first = 0;
  int64_t last = 0;
};

// A stretch of the path whose heading turns by the same curvature at every metre.
struct CurvedStretch {
  int64_t from = 0;  // metre where the turn begins
  int64_t to = 0;    // its last turned metre
  char side = 'd';   // 'd' turns towards +x from the start's heading, 's' the other way
  int curve_class = 0;  // 1 to 6, the class whose k is nearest; 0 when none is near
  double k = 0;         // the mean curvature measured
};

// The turns of the computed points, by the change of heading at each point.
std::vector<CurvedStretch> curved_stretches(const Path& path);

// The text dumps, each ending with a line end.
std::string track_text(const std::string& file, const TrackCells& cells, bool all);
std::string table_text(const std::string& file, const Table& table, const ExpectedCodes& expected,
                       const TrackCells* track);
std::string path_text(const std::string& file, const Path& path);
// The points of `range`, one line each, as the file holds them.
std::string points_text(const Path& path, PointRange range);

// The JSON objects, each on one line without a line end, spaced as
// {"a": 1, "b": [2, 3]}. The track's and the path's are written straight into
// the sink: the largest line has twenty thousand cells and two million reals.
void write_track_json(const std::string& file, const TrackCells& cells, bool all, ByteSink& out);
nlohmann::ordered_json table_json(const std::string& file, const Table& table);
// With the points of `range` (all of them by default).
void write_path_json(const std::string& file, const Path& path, std::optional<PointRange> range,
                     ByteSink& out);

// The same object in pieces, for a writer that formats the values in chunks
// (on several threads) and writes them in order: the head, the x values of
// the listed points, kPathJsonBetween, the y values, kPathJsonTail.
// The points listed: `range` (all of them by default) within the path; none
// when last < first.
PointRange path_json_points(const Path& path, std::optional<PointRange> range);
// {"file": NAME, "type": "path", "points": N, "from": A, "x": [
std::string path_json_head(const std::string& file, const Path& path, PointRange points);
inline constexpr std::string_view kPathJsonBetween = "], \"y\": [";
inline constexpr std::string_view kPathJsonTail = "]}";
// The most bytes one value takes with the ", " before it.
inline constexpr size_t kLongestPathValue = 32;
// Writes the values `v` (the path's x or y) of the points from to to - 1 into
// `text`, which has room for kLongestPathValue bytes a point, each value after
// ", " unless its point is `first`, the first point listed. Returns the bytes
// written: chunks written one after the other make the list of the points.
size_t format_path_values(const Path& path, const PathValues& v, int64_t first, int64_t from, int64_t to,
                          char* text);

// The shortest decimal that reads back to the same 64-bit value ("0.1",
// "1e-07", "2"); "nan", "inf" or "-inf" for the others. In JSON, which cannot
// hold those, they are null.
std::string shortest(double v);

}  // namespace compactor::inspect
