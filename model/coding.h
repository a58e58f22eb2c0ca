// Fixed-width little-endian encoders, one job each. They write into a caller's
// buffer and return the position just past what they wrote, so a record is a
// chain of calls. The byte order is fixed whatever the host's.
#pragma once

#include <cstdint>
#include <cstring>

namespace compactor::coding {

inline char* put_u8(char* p, uint8_t v) {
  p[0] = static_cast<char>(v);
  return p + 1;
}

inline char* put_u16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xff);
  p[1] = static_cast<char>(v >> 8);
  return p + 2;
}

inline char* put_i16(char* p, int16_t v) { return put_u16(p, static_cast<uint16_t>(v)); }

inline char* put_u32(char* p, uint32_t v) {
  p[0] = static_cast<char>(v & 0xff);
  p[1] = static_cast<char>((v >> 8) & 0xff);
  p[2] = static_cast<char>((v >> 16) & 0xff);
  p[3] = static_cast<char>(v >> 24);
  return p + 4;
}

inline char* put_i32(char* p, int32_t v) { return put_u32(p, static_cast<uint32_t>(v)); }

inline char* put_u64(char* p, uint64_t v) {
  p = put_u32(p, static_cast<uint32_t>(v & 0xffffffffu));
  return put_u32(p, static_cast<uint32_t>(v >> 32));
}

// A 64-bit IEEE 754 real, bit for bit.
inline char* put_f64(char* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return put_u64(p, bits);
}

inline uint16_t get_u16(const char* p) {
  return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8));
}

inline int16_t get_i16(const char* p) { return static_cast<int16_t>(get_u16(p)); }

inline uint32_t get_u32(const char* p) {
  return static_cast<uint32_t>(static_cast<uint8_t>(p[0])) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[1])) << 8) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[2])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(p[3])) << 24);
}

inline int32_t get_i32(const char* p) { return static_cast<int32_t>(get_u32(p)); }

inline double get_f64(const char* p) {
  uint64_t bits = get_u32(p) | (static_cast<uint64_t>(get_u32(p + 4)) << 32);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

}  // namespace compactor::coding
