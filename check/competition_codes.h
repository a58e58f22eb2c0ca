// The two competition codes, computed from the train name (entry 86's text)
// followed by the scenario name (entry 85's text), lower-cased and padded to
// 25 characters with "mmuuzzeerrkkttaappwwhhccyy".
#pragma once

#include <cstdint>
#include <string>

#include "model/scenario.h"

namespace compactor {

inline constexpr const char* kCodePad = "mmuuzzeerrkkttaappwwhhccyy";

// The 25 characters the codes are taken from.
std::string code_text(const Scenario& s);

// Sum over p = 1 to 25 of p times the value of the p-th character.
int32_t codice_gara_st(const Scenario& s);

// Sum over the 25 character values.
int32_t codice_gara_og(const Scenario& s);

}  // namespace compactor
