// The block-signal pass over the compiled track, and the reserved-field check
// with its stamps. The pass places speed reduction points around slowdowns
// and records diagnostics 11, 12 and 13 where it finds no room.
// Depends on compiler/ (the origins side table) and model/.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "compiler/origins.h"
#include "model/diagnostic.h"
#include "model/scenario.h"

namespace compactor {

// The smaller of two numbers, x on a tie.
inline int16_t minimo(int16_t x, int16_t y) { return x > y ? y : x; }

// The cells behind one diagnostic of the pass: the slowdown cell it belongs
// to (its start, or its warning for 11) and the signal cell (11, and 13 in
// front of the next signal; -1 otherwise).
struct BlockFinding {
  size_t diagnostic = 0;  // index in the list of diagnostics
  int slowdown_cell = -1;
  int signal_cell = -1;
};

// Completes the signalling around slowdowns, cells 1 to last cell - 2, adding
// its faults to `diagnostics`. When `findings` is given, each diagnostic
// recorded gets its cells there; when `points` is given, every point placed
// or capped is appended to it with the slowdown cell that called for it. The
// track is the same either way.
void block_pass(Scenario& s, std::vector<Diagnostic>& diagnostics,
                std::vector<BlockFinding>* findings = nullptr,
                std::vector<BlockPassPoint>* points = nullptr);

// Checks that the reserved fields are still zero, stamps them and stores the
// competition codes. Returns 1250 or 1251 when a reserved field was in use
// (nothing is stamped after the failing check).
std::optional<int> stamp_reserved_fields(Scenario& s);

}  // namespace compactor
