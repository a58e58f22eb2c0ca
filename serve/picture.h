// The preview's page and the parts it draws: the parts of a compiled
// scenario, sent to the page in the state, and the whole page for a state,
// with the script that follows the event stream and redraws from each new
// state: the page of `compactor view`, whose script applies each new picture.
// Pure: takes data, returns data. Depends on view/, pipeline/, compiler/ and
// model/ (and nlohmann-json).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include <vector>

#include "compiler/origins.h"
#include "compiler/warnings.h"
#include "pipeline/compile.h"

namespace compactor::serve {

// The parts of the page for a compile that reached the writing step.
nlohmann::json picture_parts(const CompiledScenario& compiled, const Origins& origins,
                             const std::vector<Warning>& warnings);

// The page for `state` (see serve/preview.h): its picture drawn, and the
// script that keeps it up to date.
std::string preview_page(const nlohmann::json& state);

// The script that follows the event stream (serve/live.js).
extern const char* const kLiveScript;

}  // namespace compactor::serve
