// What the view draws, taken from the model: the items (one per thing the
// model holds, with its cell, metres, source row and a line of details), the
// stations, the kilometres of the progressives and the runs of equal cells
// that the profile's lanes draw.
//
// Counts, the contract of svg#profile:
//   station    one per station entry of the table (entries 1 upwards, up to
//              the first blank entry or the direction-board texts);
//   tunnel     from sources one per tunnel row stored, from compiled files
//              one per run of consecutive cells with a tunnel type;
//   signal, board, indicator, slowdown-warning, slowdown-start,
//   slowdown-end, slowdown-approach, reduction-point (kinds 12 and 13):
//              one per cell of that kind;
//   diagnostic one per fault that has a position;
//   warning    one per warning.
// Depends on compiler/ (origins), model/ and documents/windows1252.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/path_storage.h"
#include "view/view.h"

namespace compactor::view {

struct Item {
  std::string kind;        // the DOM data-kind
  int32_t cell = 0;
  int32_t metres = 0;      // where it is drawn
  int32_t end_metres = 0;  // end of a stretch (tunnel, platform); = metres for points
  std::string source;      // "FILE:LINE" (UTF-8), empty when unknown
  std::string label;       // short text drawn beside it, UTF-8
  std::string details;     // the details line (the kilometre aside), UTF-8
  // Reduction points of the block pass: the slowdown cell (its warning or its
  // start) that called for it, or -1; capped: a row's point the pass lowered.
  int32_t block_slowdown = -1;
  bool block_capped = false;
  // Stations: the platform (metres) and the timetable time.
  int32_t platform_start = 0;
  int32_t platform_end = 0;
  std::string time;
};

// Items by the ten thousand are megabytes: held in the path's storage (huge
// pages where the platform has them), which spares a page fault per 4 KiB.
using Items = std::vector<Item, PathAllocator<Item>>;

// The kilometre reading at a position, from entries 81 to 83: the
// progressive with the greatest start at or before it (a progressive that is
// all zero counts only when no other applies).
int64_t kilometre_metres(const Scenario& s, int64_t metres);
// The positions 0 to last_metre where the reading is a whole kilometre, and
// that kilometre (in kilometres).
struct KilometrePost {
  int64_t metres = 0;
  int64_t km = 0;
};
std::vector<KilometrePost> kilometre_posts(const Scenario& s, int64_t last_metre);

// The pieces of the kilometre reading: from `from` metres on (up to the next
// piece) the reading is metres + offset.
struct KilometrePiece {
  int64_t from = 0;
  int64_t offset = 0;
};
std::vector<KilometrePiece> kilometre_pieces(const Scenario& s);

// "km 208+500".
std::string kilometre_text(const Scenario& s, int64_t metres);

struct Station {
  int entry = 0;
  std::string name;  // UTF-8
  int32_t position = 0;
  int type = 0;
  int32_t platform_start = 0;
  int32_t platform_end = 0;
  int32_t time = 0;  // seconds after midnight
  int32_t cell = 0;  // its station point, or the cell of its position
  std::string source;
};

// The station entries, in entry order.
std::vector<Station> stations(const Scenario& s, const Origins* origins);

// "hh:mm:ss" of seconds after midnight (any whole number of seconds).
std::string clock_text(int64_t seconds);

// The compiler's warnings, each on its row's cell: the lowest cell that row
// placed a feature in; for a row that placed none (a gradient, a key that
// matches nothing) the cell of the nearest row before it in the same file
// that did, else cell 0.
std::vector<ViewWarning> place_warnings(const std::vector<Warning>& warnings, const Origins* origins);

// Every item, in the order both drawings hold them: the stations, the
// tunnels, the cells' items by cell, the diagnostics, the warnings.
Items collect_items(const ViewInput& in);

// A run of cells (or metres) with one value: [first, last] inclusive.
struct Run {
  int32_t first = 0;
  int32_t last = 0;
  int32_t value = 0;
};

// Runs of equal values of one field over cells 0 to last cell.
std::vector<Run> cell_runs(const Scenario& s, int (*field)(const TrackCell&));

// The curvature taken from the path, metre by metre: 0 straight, 1 to 6 the
// curve class, negative to the left ("s"), positive to the right ("d").
// Runs over metres 2 to the last computed point.
std::vector<Run> curvature_runs(const Scenario& s);

// The path points that can be drawn: 0 to this index (inclusive), or -1.
int32_t last_drawn_point(const Scenario& s);

// A slowdown stretch: a start cell (kind 3) to its end cell (kind 2).
struct Slowdown {
  int32_t start_cell = 0;
  int32_t end_cell = 0;
  int speed = 0;
};
std::vector<Slowdown> slowdowns(const Scenario& s);

}  // namespace compactor::view
