// Zig-zag variable-length integers (7 bits a byte, low group first).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pendata {

inline uint32_t ZigZag(int32_t v) {
  return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(-(static_cast<int64_t>(v) < 0));
}
inline int32_t UnZigZag(uint32_t u) {
  return static_cast<int32_t>((u >> 1) ^ (~(u & 1) + 1));
}

inline void PutVarint(std::vector<uint8_t>& out, uint32_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<uint8_t>(v | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<uint8_t>(v));
}

// A bounds-checked reader: every failure is sticky, so a caller may read a run
// of values and test ok() once.
class ByteReader {
public:
  ByteReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  bool ok() const { return ok_; }
  bool AtEnd() const { return p_ == end_; }
  size_t Remaining() const { return static_cast<size_t>(end_ - p_); }

  uint8_t Byte() {
    if (!ok_ || p_ == end_) return Fail();
    return *p_++;
  }

  // At most five bytes; a value beyond 32 bits or a non-minimal trailing zero
  // group is malformed (one value, one encoding).
  uint32_t Varint() {
    uint32_t v = 0;
    for (int shift = 0; shift <= 28; shift += 7) {
      if (!ok_ || p_ == end_) return Fail();
      uint8_t b = *p_++;
      if (shift == 28 && b > 0x0F) return Fail();
      if (shift > 0 && b == 0) return Fail();
      v |= static_cast<uint32_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
    }
    return Fail();
  }

  int32_t SignedVarint() { return UnZigZag(Varint()); }

private:
  uint8_t Fail() {
    ok_ = false;
    p_ = end_;
    return 0;
  }
  const uint8_t* p_;
  const uint8_t* end_;
  bool ok_ = true;
};

} // namespace pendata
