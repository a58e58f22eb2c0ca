// The differences between two compiled scenarios, field by field: every
// track cell field, every table entry field, a summary of the path, and any
// file present on one side only. Pure functions of decoded files. Depends on
// model/ and documents/windows1252.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/decoder.h"

namespace compactor::inspect {

// One side of a comparison: the files it has (an absent one is not there).
struct ScenarioFiles {
  std::optional<TrackCells> track;
  std::optional<Table> table;
  std::optional<Path> path;
};

struct Difference {
  enum class Kind { kOnlyIn, kCellCount, kCell, kEntry, kPath };
  Kind kind = Kind::kCell;
  std::string file;     // "track", "table" or "path"
  char only_in = 'A';   // kOnlyIn: the side that has the file
  int64_t index = 0;    // kCell: the cell; kEntry: the entry
  std::string field;    // kCell, kEntry: the field's name in the model
  nlohmann::ordered_json a, b;  // kCellCount, kCell, kEntry: the two values (texts in UTF-8)
  // kPath: how many points differ (as tag or value), of how many, the first
  // one, and the largest distance in metres between A's point and B's where
  // both hold one.
  int64_t points_differ = 0;
  int64_t points_a = 0, points_b = 0;
  int64_t first_point = 0;
  double largest_distance = 0;
};

// Every difference, in file order: track, table, path.
std::vector<Difference> diff_scenarios(const ScenarioFiles& a, const ScenarioFiles& b);

// One line per difference, each ending with a line end.
std::string diff_text(const std::vector<Difference>& differences);

// {"same": BOOL, "differences": [...]}
nlohmann::ordered_json diff_json(const std::vector<Difference>& differences);

}  // namespace compactor::inspect
