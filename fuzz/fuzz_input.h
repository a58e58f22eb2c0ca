// One fuzz input compiled in memory, as the compile driver would compile it,
// and the invariants that must hold afterwards whatever the input was.
//
// An input is the line description, then optionally a separator line, then
// the service description. The separator "====" compiles with the path kept,
// as the built-in run does; "==== --no-path" compiles without it, as
// `compile --no-path` does (and costs a fraction of the time, so the fuzzer
// gets through many more inputs). Without a separator the whole input is the
// line description, the service description is empty and the path is kept.
// The same code runs under libFuzzer and in the test that replays kept inputs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "compiler/compiler.h"

namespace compactor::fuzz {

inline constexpr std::string_view kSourceSeparator = "\n====\n";
inline constexpr std::string_view kNoPathSeparator = "\n==== --no-path\n";

struct FuzzInput {
  Sources sources;
  bool keep_path = true;
};

FuzzInput split_input(std::string_view data);

// Joins two sources into one input (the inverse of split_input).
std::string join_input(std::string_view line, std::string_view service, bool keep_path = true);

// Compiles the input, runs the block pass and the reserved-field stamps,
// writes the compiled files to memory and returns every invariant that did
// not hold (empty when all is well).
std::vector<std::string> compile_and_check(std::string_view data);

}  // namespace compactor::fuzz
