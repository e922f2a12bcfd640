#include "nn_filter.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mac {

namespace {

// How many samples run before the window is moved back to the buffer start.
constexpr std::size_t kWindowRun = 4096;

// Sum of a[i] * b[i] with 32-bit wrap-around, as the decoder computes it.
int32_t dot_product(const int16_t* a, const int16_t* b, int count)
{
#if defined(__SSE2__)
    __m128i sum0 = _mm_setzero_si128();
    __m128i sum1 = _mm_setzero_si128();
    for (int i = 0; i < count; i += 16) {
        sum0 = _mm_add_epi32(sum0, _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i))));
        sum1 = _mm_add_epi32(sum1, _mm_madd_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 8)),
                                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 8))));
    }
    __m128i sum = _mm_add_epi32(sum0, sum1);
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtsi128_si32(sum);
#else
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i)
        sum += static_cast<uint32_t>(int32_t(a[i]) * int32_t(b[i]));
    return static_cast<int32_t>(sum);
#endif
}

// weights[i] += direction * steps[i] with 16-bit wrap-around; direction is +1 or -1.
void move_weights(int16_t* weights, const int16_t* steps, int count, int direction)
{
#if defined(__SSE2__)
    for (int i = 0; i < count; i += 8) {
        auto* w = reinterpret_cast<__m128i*>(weights + i);
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(steps + i));
        __m128i current = _mm_loadu_si128(w);
        _mm_storeu_si128(w, direction > 0 ? _mm_add_epi16(current, s) : _mm_sub_epi16(current, s));
    }
#else
    for (int i = 0; i < count; ++i)
        weights[i] = static_cast<int16_t>(weights[i] + direction * steps[i]);
#endif
}

inline int16_t saturate16(int32_t value)
{
    return static_cast<int16_t>(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

} // namespace

NNFilter::NNFilter(int order, int fraction_bits)
    : order_(order),
      fraction_bits_(fraction_bits),
      weights_(order, 0),
      history_(order + kWindowRun, 0),
      steps_(order + kWindowRun, 0),
      position_(order)
{
}

void NNFilter::slide_window()
{
    std::memmove(history_.data(), history_.data() + position_ - order_, order_ * sizeof(int16_t));
    std::memmove(steps_.data(), steps_.data() + position_ - order_, order_ * sizeof(int16_t));
    position_ = order_;
}

int32_t NNFilter::encode_one(int32_t output)
{
    int16_t* history = history_.data() + position_;
    int16_t* steps = steps_.data() + position_;

    const int32_t dot = dot_product(weights_.data(), history - order_, order_);
    const auto prediction = static_cast<int32_t>((int64_t(dot) + (int64_t(1) << (fraction_bits_ - 1))) >> fraction_bits_);
    const auto input = static_cast<int32_t>(static_cast<uint32_t>(output) - static_cast<uint32_t>(prediction));

    // The weights follow the sign of the input against the past step sizes.
    if (input != 0)
        move_weights(weights_.data(), steps - order_, order_, input < 0 ? 1 : -1);

    *history = saturate16(output);

    const uint32_t magnitude = output < 0 ? 0u - static_cast<uint32_t>(output) : static_cast<uint32_t>(output);
    if (magnitude == 0) {
        *steps = 0;
    } else {
        const uint32_t average = average_magnitude_;
        const int scale = (uint64_t(magnitude) > uint64_t(average) * 3) + (magnitude > average + average / 3);
        const int16_t size = static_cast<int16_t>(8 << scale);
        *steps = output > 0 ? static_cast<int16_t>(-size) : size;
    }
    average_magnitude_ += static_cast<uint32_t>(static_cast<int32_t>(magnitude - average_magnitude_) / 16);

    // Older step sizes fade: halved one and two samples back, and again at eight.
    steps[-1] = static_cast<int16_t>(steps[-1] >> 1);
    steps[-2] = static_cast<int16_t>(steps[-2] >> 1);
    steps[-8] = static_cast<int16_t>(steps[-8] >> 1);

    if (++position_ == history_.size())
        slide_window();
    return input;
}

void NNFilter::encode(int32_t* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        values[i] = encode_one(values[i]);
}

} // namespace mac
