// libFuzzer target: takes the input as a track file, a table file and a path
// file in turn; whatever decodes must encode back to the same bytes and
// decode again to the same model. Reading outside the input and undefined
// behaviour are caught by the sanitizers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> broken = compactor::fuzz::decode_round_trip(input);
  if (!broken.empty()) {
    for (const std::string& b : broken) std::fprintf(stderr, "round trip broken: %s\n", b.c_str());
    std::abort();
  }
  return 0;
}
