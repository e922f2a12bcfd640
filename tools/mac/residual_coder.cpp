#include "residual_coder.h"

#include <array>

namespace sondrel::mac {

namespace {

// Widths of the overflow symbols 0..20 out of 65536. Symbols 21..63 each take a
// width of one at the very top, and 63 escapes to a 32-bit overflow.
constexpr std::array<uint16_t, 21> kOverflowWidths = {
    19578, 16582, 12257, 7906, 4576, 2366, 1170, 536, 261, 119, 65, 31, 19, 10, 6, 3, 3, 2, 1, 1, 1,
};

constexpr std::array<uint32_t, 21> makeStarts() {
  std::array<uint32_t, 21> starts{};
  uint32_t sum = 0;
  for (std::size_t i = 0; i < kOverflowWidths.size(); ++i) {
    starts[i] = sum;
    sum += kOverflowWidths[i];
  }
  return starts;
}

constexpr std::array<uint32_t, 21> kOverflowStarts = makeStarts();
constexpr uint32_t kEscape = 63;
constexpr uint32_t kFirstNarrowSymbol = 21;
constexpr uint32_t kNarrowBase = 65535 - kEscape;  // symbol s >= 21 sits at kNarrowBase + s

void encodeOverflowSymbol(uint32_t symbol, RangeEncoder& coder) {
  if (symbol < kFirstNarrowSymbol)
    coder.encodeFrequency(kOverflowStarts[symbol], kOverflowWidths[symbol]);
  else
    coder.encodeFrequency(kNarrowBase + symbol, 1);
}

// Folds the sign into the low bit: 1, -1, 2, -2 ... become 1, 2, 3, 4 ... and
// 0 stays 0. The most negative value has no mirror, so it takes the last code.
uint32_t foldSign(int32_t value) {
  uint32_t magnitude = static_cast<uint32_t>(value);
  if (value > 0 || value == INT32_MIN) return 2 * magnitude - 1;
  return 2 * (0u - magnitude);
}

}  // namespace

void ResidualCoder::encode(int32_t residual, RangeEncoder& coder) {
  const uint32_t folded = foldSign(residual);
  uint32_t pivot = runningSum_ >> 5;
  if (pivot == 0) pivot = 1;

  const uint32_t overflow = folded / pivot;
  const uint32_t base = folded % pivot;
  if (overflow >= kEscape) {
    encodeOverflowSymbol(kEscape, coder);
    coder.encodeBits(overflow >> 16, 16);
    coder.encodeBits(overflow & 0xFFFFu, 16);
  } else {
    encodeOverflowSymbol(overflow, coder);
  }

  if (pivot < 0x10000u) {
    coder.encodeUniform(base, pivot);
  } else {
    int lowBits = 0;
    while ((pivot >> lowBits) > 0xFFFFu) ++lowBits;
    coder.encodeUniform(base >> lowBits, (pivot >> lowBits) + 1);
    coder.encodeUniform(base & ((1u << lowBits) - 1), 1u << lowBits);
  }

  // Unsigned wrap-around here matches the decoder bit for bit.
  runningSum_ += (folded + 1) / 2 - ((runningSum_ + 16) >> 5);
}

}  // namespace sondrel::mac
