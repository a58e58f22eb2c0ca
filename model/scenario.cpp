#include "model/scenario.h"

namespace compactor {

bool is_defined_kind(uint8_t kind) {
  switch (kind) {
    case kPlain: case kSignal: case kSlowdownEnd: case kSlowdownStart: case kSlowdownWarning:
    case kSlowdownApproach: case kSpeedIndicator: case kStationPoint: case kTunnelMarker:
    case kReductionPoint: case kReductionPointNoValue: case kDirectionBoard:
      return true;
    default:
      return false;
  }
}

void Scenario::reset_table() {
  for (TableEntry& e : table) e = TableEntry{};
}

}  // namespace compactor
