#include "range_encoder.h"

namespace sondrel::mac {

void RangeEncoder::shiftLow() {
  // The top byte of the window leaves now. While it is 0xFF a later carry
  // could still ripple through it, so it is held back with the byte before.
  const bool carry = low_ >= kTop;
  if (carry || low_ < 0x7F800000u) {
    const uint8_t add = carry ? 1 : 0;
    out_.push_back(static_cast<uint8_t>(heldByte_ + add));
    for (; heldFfBytes_ > 0; --heldFfBytes_) out_.push_back(static_cast<uint8_t>(0xFF + add));
    heldByte_ = static_cast<uint8_t>(low_ >> 23);
  } else {
    ++heldFfBytes_;
  }
  low_ = (low_ & 0x7FFFFFu) << 8;
}

void RangeEncoder::finish() {
  normalize();
  // Four bytes carry the whole 31-bit window; the fifth shift releases the
  // byte held back before them.
  for (int i = 0; i < 5; ++i) shiftLow();
}

}  // namespace sondrel::mac
