// The decoder's round trips, as the decoder's fuzz target and the tests check
// them:
// - a model's files, decoded, give the model back, and encoded again the
//   same bytes;
// - any bytes that decode encode to the same bytes, and those decode to the
//   same model.
// Each returns every check that failed (empty when all is well).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/scenario.h"

namespace compactor::fuzz {

// The three files of `s` as the writers write them (the path file only when
// its keep-path flag is set), through the decoders and back.
std::vector<std::string> model_round_trip(const Scenario& s);

// `bytes` through each of the three decoders; every one that accepts them
// must encode them back unchanged and decode that to the same model.
std::vector<std::string> decode_round_trip(std::string_view bytes);

}  // namespace compactor::fuzz
