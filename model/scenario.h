// The scenario model: everything the compiler fills from the two source texts
// and the compiled files carry to the simulator. Plain data, no behaviour.
//
// - the track: one TrackCell per 50 metres, cells 0 to last_cell;
// - the scenario table: 87 TableEntry records;
// - the path: one point per metre, kept only when the keep-path flag is set;
// - the scalar run state: names, sizes, the latest error code and position.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/path_storage.h"

namespace compactor {

// Cell kinds.
enum CellKind : uint8_t {
  kPlain = 0,
  kSignal = 1,
  kSlowdownEnd = 2,
  kSlowdownStart = 3,
  kSlowdownWarning = 4,
  kSlowdownApproach = 5,
  kSpeedIndicator = 6,
  kStationPoint = 10,
  kTunnelMarker = 11,
  kReductionPoint = 12,
  kReductionPointNoValue = 13,
  kDirectionBoard = 14,
};

// True for the kinds the compiler can produce.
bool is_defined_kind(uint8_t kind);

struct TrackCell {
  uint8_t kind = 0;
  int16_t paramA = 0;
  int16_t paramB = 0;
  int16_t paramC = 0;
  int16_t paramD = 0;
  uint8_t signalTime = 0;
  uint8_t approach = 0;
  uint8_t tunnel = 0;
  uint8_t speedStep = 0;
  uint8_t gradientCode = 0;
  uint8_t adhesion = 0;

  friend bool operator==(const TrackCell&, const TrackCell&) = default;
};

// A cell is free for a new point feature when it is plain track or a tunnel marker.
inline bool is_free(const TrackCell& c) { return c.kind == kPlain || c.kind == kTunnelMarker; }

struct TableEntry {
  uint8_t kind = 0;
  int32_t long1 = 0;
  int32_t long2 = 0;
  int32_t long3 = 0;
  uint8_t flag = 0;
  std::string text;  // held in the ANSI code page, one byte per character
  int16_t int1 = 0;
  int16_t int2 = 0;
  int16_t int3 = 0;
  int16_t int4 = 0;
  int16_t int5 = 0;
  uint8_t byte1 = 0;
  uint8_t byte2 = 0;
  uint8_t byte3 = 0;
  uint8_t byte4 = 0;
  int32_t long4 = 0;

  friend bool operator==(const TableEntry&, const TableEntry&) = default;
};

inline constexpr int kTableSize = 87;
inline constexpr int kFirstBoardSlot = 80;
inline constexpr int kMaxTunnels = 80;
inline constexpr int kMaxLineLength = 1000000;
inline constexpr int kExtraMetres = 7000;

// The plan of the line, one point per metre, x and y held apart (the file
// writes all x values, then all y values). Points 0 and 1 are the 16-bit
// integers (0, 0) and (0, 1); points 2 to next - 1 are computed reals; every
// point from next on is empty.
struct Path {
  int32_t end = 0;        // index of the last point: line length + 7000
  int32_t next = 2;       // the next point to compute
  bool allocated = false;
  bool origin_set = false;  // points 0 and 1 hold their integers
  PathValues x;  // end + 1 values once allocated
  PathValues y;
};

struct Names {
  std::string scenario = "Lavena_Codrano2";
  std::string train = "ES 2718";
};

struct Scenario {
  Names names;
  int32_t keep_path = 1;
  int32_t path_end = 0;
  int32_t last_cell = 0;
  int32_t error_code = 0;
  int32_t error_position = 0;
  int32_t tunnel_count = 0;
  std::array<int32_t, kMaxTunnels + 1> tunnel_starts{};
  std::array<int32_t, kMaxTunnels + 1> tunnel_ends{};

  bool track_allocated = false;
  std::vector<TrackCell> track;  // cells 0 to last_cell
  std::array<TableEntry, kTableSize> table{};
  Path path;

  // Resets every table entry: all numbers 0, every text empty.
  void reset_table();
};

}  // namespace compactor
