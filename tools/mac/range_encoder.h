#pragma once

#include <cstdint>
#include <vector>

namespace sondrel::mac {

// The range coder of Monkey's Audio 3.98 and later, encoding side.
//
// The decoder keeps a 31-bit window on the code value and refills it a byte at
// a time whenever its range falls to 2^23 or below; it ignores the first byte
// of each frame's coded data. This encoder mirrors that exactly: the same
// normalisation points, a 31-bit `low` with carry propagation into bytes
// already produced, and a leading byte that is always zero.
class RangeEncoder {
 public:
  explicit RangeEncoder(std::vector<uint8_t>& out) : out_(out) {}

  // A symbol occupying [cumulative, cumulative + frequency) of a 2^16 total.
  void encodeFrequency(uint32_t cumulative, uint32_t frequency) {
    normalize();
    uint32_t step = range_ >> 16;
    low_ += uint64_t(step) * cumulative;
    range_ = step * frequency;
  }

  // `bits` raw bits (at most 16).
  void encodeBits(uint32_t value, int bits) {
    normalize();
    uint32_t step = range_ >> bits;
    low_ += uint64_t(step) * value;
    range_ = step;
  }

  // A value spread evenly over [0, total), total at most 2^16.
  void encodeUniform(uint32_t value, uint32_t total) {
    normalize();
    uint32_t step = range_ / total;
    low_ += uint64_t(step) * value;
    range_ = step;
  }

  // Emits the bytes the decoder reads after the last symbol, including the
  // normalisation it performs when it closes the frame.
  void finish();

 private:
  static constexpr uint32_t kTop = 1u << 31;
  static constexpr uint32_t kBottom = 1u << 23;

  void normalize() {
    while (range_ <= kBottom) {
      shiftLow();
      range_ <<= 8;
    }
  }
  void shiftLow();

  std::vector<uint8_t>& out_;
  uint64_t low_ = 0;
  uint32_t range_ = kTop;
  uint8_t heldByte_ = 0;      // the next byte to emit, still open to a carry
  uint64_t heldFfBytes_ = 0;  // 0xFF bytes after it, also open to a carry
};

}  // namespace sondrel::mac
