// Real-to-integer conversion: to the nearest whole number, halves to the even
// neighbour (20.5 gives 20, 21.5 gives 22), whatever the FPU's rounding mode.
#pragma once

#include <cmath>
#include <cstdint>

namespace compactor {

inline int64_t round_half_even(double v) {
  const double floor = std::floor(v);
  const double diff = v - floor;
  int64_t r = static_cast<int64_t>(floor);
  if (diff > 0.5) return r + 1;
  if (diff < 0.5) return r;
  return (r % 2 == 0) ? r : r + 1;
}

// The low 8 and 16 bits of a value, as narrower fields keep them.
inline uint8_t low8(int64_t v) { return static_cast<uint8_t>(static_cast<uint64_t>(v) & 0xffu); }
inline int16_t low16(int64_t v) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(v) & 0xffffu));
}
inline int32_t low32(int64_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v) & 0xffffffffu));
}

}  // namespace compactor
