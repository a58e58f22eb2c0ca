// Where each part of the compiled model came from: the source row that placed
// each track cell's feature, each station and direction-board entry and each
// tunnel. It is side information, filled by the compiler beside the model when
// asked for; the model and its bytes never depend on it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/scenario.h"

namespace compactor {

// A place in a source text: 1-based line, 0-based byte column of the row's
// key field. Line 0 means no source row.
struct SourcePlace {
  std::string file;
  int line = 0;
  int column = 0;
  bool known() const { return line > 0; }
};

// A speed reduction point that the block pass placed (or capped) after
// compiling, and the slowdown cell it belongs to: the slowdown's warning cell
// (points in front of the signals before the warning) or its start cell (the
// windows before the start, the points along it and the one before the next
// signal).
struct BlockPassPoint {
  int32_t cell = 0;
  int32_t slowdown_cell = 0;
  bool capped = false;  // an existing point whose value the pass lowered to 180
};

// The places of the track cells, kept small: a line of 1000000 m has 20000
// cells, of which only the few a row placed have a place. Per cell a number
// (4 bytes), per placed cell its file's index, line and column.
class CellPlaces {
 public:
  size_t size() const { return index_.size(); }
  // Every cell unknown.
  void resize(size_t cells);
  // The place of cell i: a copy, unknown past the end.
  SourcePlace operator[](size_t i) const;
  bool known(size_t i) const { return i < index_.size() && index_[i] >= 0; }
  // The file and line of a known cell ("" and 0 for the others), no copy.
  const std::string& file(size_t i) const;
  int line(size_t i) const { return known(i) ? placed_[static_cast<size_t>(index_[i])].line : 0; }
  // Cell i (below size()) was placed at this place, or (unknown place) by no row.
  void set(size_t i, const std::string& file, int line, int column);
  void forget(size_t i);

 private:
  struct Placed {
    int32_t file = 0;  // in files_
    int line = 0;
    int column = 0;
  };
  std::vector<int32_t> index_;  // per cell: its entry of placed_, or -1
  std::vector<Placed> placed_;
  std::vector<std::string> files_;
};

struct Origins {
  // One per track cell: the row that last set the cell's kind (a signal, a
  // slowdown, a station point, a tunnel marker, ...). Cells the block pass
  // fills afterwards keep an unknown place.
  CellPlaces cells;
  // The station rows (entries 1 upwards) and the direction-board rows
  // (entries 80 downwards) that filled each table entry.
  std::array<SourcePlace, kTableSize> entries{};
  // The tunnel rows, index 1 to the tunnel count (index 0 stays unknown).
  std::vector<SourcePlace> tunnels;
  // The points of the block pass, in the order placed (filled by
  // compile_scenario, after the compiler).
  std::vector<BlockPassPoint> block_pass;
};

}  // namespace compactor
