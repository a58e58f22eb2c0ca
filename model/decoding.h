// Bounds-checked little-endian readers, the way back of model/coding.h. A
// Cursor walks a span of bytes it does not own; every checked read first
// tests that the bytes it needs are left and reads nothing when they are not,
// and the cursor always knows its offset from the start of the span, so a
// decoder can name the byte where a file stops making sense. A caller that
// has checked the room for a whole record with has() may read its fields
// with the unchecked take_ readers. Depends on model/coding.h only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/coding.h"

namespace compactor::decoding {

class Cursor {
 public:
  Cursor(const char* data, size_t size) : begin_(data), p_(data), end_(data + size) {}
  explicit Cursor(std::string_view bytes) : Cursor(bytes.data(), bytes.size()) {}

  size_t offset() const { return static_cast<size_t>(p_ - begin_); }
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  bool at_end() const { return p_ == end_; }
  bool has(size_t n) const { return left() >= n; }

  // Checked reads: false, and the cursor unmoved, when too few bytes are left.
  bool get_u8(uint8_t& v) { return has(1) && (v = take_u8(), true); }
  bool get_u16(uint16_t& v) { return has(2) && (v = take_u16(), true); }
  bool get_i16(int16_t& v) { return has(2) && (v = take_i16(), true); }
  bool get_i32(int32_t& v) { return has(4) && (v = take_i32(), true); }
  bool get_f64(double& v) { return has(8) && (v = take_f64(), true); }
  // `n` bytes as a view into the span.
  bool get_bytes(size_t n, std::string_view& v) {
    if (!has(n)) return false;
    v = std::string_view(p_, n);
    p_ += n;
    return true;
  }

  bool skip(size_t n) { return has(n) && (p_ += n, true); }

  // Unchecked reads, for a record whose room has() has already confirmed.
  uint8_t take_u8() { return static_cast<uint8_t>(*p_++); }
  uint16_t take_u16() { return advance(coding::get_u16(p_), 2); }
  int16_t take_i16() { return advance(coding::get_i16(p_), 2); }
  int32_t take_i32() { return advance(coding::get_i32(p_), 4); }
  double take_f64() { return advance(coding::get_f64(p_), 8); }

  const char* here() const { return p_; }

 private:
  template <class T>
  T advance(T v, size_t n) {
    p_ += n;
    return v;
  }

  const char* begin_;
  const char* p_;
  const char* end_;
};

}  // namespace compactor::decoding
