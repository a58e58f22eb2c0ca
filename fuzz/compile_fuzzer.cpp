// libFuzzer target: compiles a line description and a service description
// taken from the input, in memory, and aborts when an invariant breaks.
// Out-of-bounds access and undefined behaviour are caught by the sanitizers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> broken = compactor::fuzz::compile_and_check(input);
  if (!broken.empty()) {
    for (const std::string& b : broken) std::fprintf(stderr, "invariant broken: %s\n", b.c_str());
    std::abort();
  }
  return 0;
}
