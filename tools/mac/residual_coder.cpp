#include "residual_coder.h"

#include <array>

namespace mac {

namespace {

// Widths of the overflow symbols 0..20 out of 65536. Symbols 21..63 each take a
// width of one at the very top, and 63 escapes to a 32-bit overflow.
constexpr std::array<uint16_t, 21> kOverflowWidths = {
    19578, 16582, 12257, 7906, 4576, 2366, 1170, 536, 261, 119, 65,
    31, 19, 10, 6, 3, 3, 2, 1, 1, 1,
};

constexpr std::array<uint32_t, 21> make_starts()
{
    std::array<uint32_t, 21> starts{};
    uint32_t sum = 0;
    for (std::size_t i = 0; i < kOverflowWidths.size(); ++i) {
        starts[i] = sum;
        sum += kOverflowWidths[i];
    }
    return starts;
}

constexpr std::array<uint32_t, 21> kOverflowStarts = make_starts();
constexpr uint32_t kEscape = 63;
constexpr uint32_t kFirstNarrowSymbol = 21;
constexpr uint32_t kNarrowBase = 65535 - kEscape; // symbol s >= 21 sits at kNarrowBase + s

void encode_overflow_symbol(uint32_t symbol, RangeEncoder& coder)
{
    if (symbol < kFirstNarrowSymbol)
        coder.encode_frequency(kOverflowStarts[symbol], kOverflowWidths[symbol]);
    else
        coder.encode_frequency(kNarrowBase + symbol, 1);
}

// Folds the sign into the low bit: 1, -1, 2, -2 ... become 1, 2, 3, 4 ... and
// 0 stays 0. The most negative value has no mirror, so it takes the last code.
uint32_t fold_sign(int32_t value)
{
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value > 0 || value == INT32_MIN)
        return 2 * magnitude - 1;
    return 2 * (0u - magnitude);
}

} // namespace

void ResidualCoder::encode(int32_t residual, RangeEncoder& coder)
{
    const uint32_t folded = fold_sign(residual);
    uint32_t pivot = running_sum_ >> 5;
    if (pivot == 0)
        pivot = 1;

    const uint32_t overflow = folded / pivot;
    const uint32_t base = folded % pivot;
    if (overflow >= kEscape) {
        encode_overflow_symbol(kEscape, coder);
        coder.encode_bits(overflow >> 16, 16);
        coder.encode_bits(overflow & 0xFFFFu, 16);
    } else {
        encode_overflow_symbol(overflow, coder);
    }

    if (pivot < 0x10000u) {
        coder.encode_uniform(base, pivot);
    } else {
        int low_bits = 0;
        while ((pivot >> low_bits) > 0xFFFFu)
            ++low_bits;
        coder.encode_uniform(base >> low_bits, (pivot >> low_bits) + 1);
        coder.encode_uniform(base & ((1u << low_bits) - 1), 1u << low_bits);
    }

    // Unsigned wrap-around here matches the decoder bit for bit.
    running_sum_ += (folded + 1) / 2 - ((running_sum_ + 16) >> 5);
}

} // namespace mac
