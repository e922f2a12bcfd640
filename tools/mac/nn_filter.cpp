#include "nn_filter.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MAC_HAVE_X86_KERNELS 1
#endif

namespace sondrel::mac {

namespace {

// How many samples run before the window is moved back to the buffer start.
constexpr std::size_t kWindowRun = 4096;

// The orders the format uses are all multiples of 16, which the kernels rely on.
int32_t updateAndDotPortable(int16_t* weights, const int16_t* steps, const int16_t* history, int count, int direction) {
  uint32_t sum = 0;
  for (int i = 0; i < count; ++i) {
    weights[i] = static_cast<int16_t>(weights[i] + direction * steps[i]);
    sum += static_cast<uint32_t>(int32_t(weights[i]) * int32_t(history[i]));
  }
  return static_cast<int32_t>(sum);
}

#if MAC_HAVE_X86_KERNELS

template <int kDirection>
__attribute__((target("sse2"))) int32_t updateAndDotSse2With(int16_t* weights, const int16_t* steps,
                                                             const int16_t* history, int count) {
  __m128i sum = _mm_setzero_si128();
  for (int i = 0; i < count; i += 8) {
    auto* w = reinterpret_cast<__m128i*>(weights + i);
    __m128i moved = _mm_loadu_si128(w);
    if constexpr (kDirection != 0) {
      const __m128i step = _mm_loadu_si128(reinterpret_cast<const __m128i*>(steps + i));
      moved = kDirection > 0 ? _mm_add_epi16(moved, step) : _mm_sub_epi16(moved, step);
      _mm_storeu_si128(w, moved);
    }
    const __m128i past = _mm_loadu_si128(reinterpret_cast<const __m128i*>(history + i));
    sum = _mm_add_epi32(sum, _mm_madd_epi16(moved, past));
  }
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(1, 0, 3, 2)));
  sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtsi128_si32(sum);
}

__attribute__((target("sse2"))) int32_t updateAndDotSse2(int16_t* weights, const int16_t* steps, const int16_t* history,
                                                         int count, int direction) {
  if (direction > 0) return updateAndDotSse2With<1>(weights, steps, history, count);
  if (direction < 0) return updateAndDotSse2With<-1>(weights, steps, history, count);
  return updateAndDotSse2With<0>(weights, steps, history, count);
}

template <int kDirection>
__attribute__((target("avx2"))) int32_t updateAndDotAvx2With(int16_t* weights, const int16_t* steps,
                                                             const int16_t* history, int count) {
  __m256i sum = _mm256_setzero_si256();
  for (int i = 0; i < count; i += 16) {
    auto* w = reinterpret_cast<__m256i*>(weights + i);
    __m256i moved = _mm256_loadu_si256(w);
    if constexpr (kDirection != 0) {
      const __m256i step = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(steps + i));
      moved = kDirection > 0 ? _mm256_add_epi16(moved, step) : _mm256_sub_epi16(moved, step);
      _mm256_storeu_si256(w, moved);
    }
    const __m256i past = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(history + i));
    sum = _mm256_add_epi32(sum, _mm256_madd_epi16(moved, past));
  }
  __m128i half = _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
  half = _mm_add_epi32(half, _mm_shuffle_epi32(half, _MM_SHUFFLE(1, 0, 3, 2)));
  half = _mm_add_epi32(half, _mm_shuffle_epi32(half, _MM_SHUFFLE(2, 3, 0, 1)));
  return _mm_cvtsi128_si32(half);
}

__attribute__((target("avx2"))) int32_t updateAndDotAvx2(int16_t* weights, const int16_t* steps, const int16_t* history,
                                                         int count, int direction) {
  if (direction > 0) return updateAndDotAvx2With<1>(weights, steps, history, count);
  if (direction < 0) return updateAndDotAvx2With<-1>(weights, steps, history, count);
  return updateAndDotAvx2With<0>(weights, steps, history, count);
}

#endif

NNFilter::UpdateAndDot pickKernel() {
#if MAC_HAVE_X86_KERNELS
  if (__builtin_cpu_supports("avx2")) return updateAndDotAvx2;
  if (__builtin_cpu_supports("sse2")) return updateAndDotSse2;
#endif
  return updateAndDotPortable;
}

inline int16_t saturate16(int32_t value) {
  return static_cast<int16_t>(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

}  // namespace

NNFilter::NNFilter(int order, int fractionBits)
    : order_(order),
      fractionBits_(fractionBits),
      updateAndDot_(pickKernel()),
      weights_(order, 0),
      history_(order + kWindowRun, 0),
      steps_(order + kWindowRun, 0),
      position_(order) {}

void NNFilter::slideWindow() {
  std::memmove(history_.data(), history_.data() + position_ - order_, order_ * sizeof(int16_t));
  std::memmove(steps_.data(), steps_.data() + position_ - order_, order_ * sizeof(int16_t));
  position_ = order_;
}

void NNFilter::encode(int32_t* values, std::size_t count) {
  const int32_t rounding = int32_t(1) << (fractionBits_ - 1);
  int32_t dot = updateAndDot_(weights_.data(), steps_.data(), history_.data() + position_ - order_, order_, 0);

  for (std::size_t i = 0; i < count; ++i) {
    const int32_t output = values[i];
    const auto prediction = static_cast<int32_t>((int64_t(dot) + rounding) >> fractionBits_);
    const auto input = static_cast<int32_t>(static_cast<uint32_t>(output) - static_cast<uint32_t>(prediction));
    values[i] = input;

    int16_t* history = history_.data() + position_;
    int16_t* steps = steps_.data() + position_;
    *history = saturate16(output);

    // The weights follow the sign of the input against the past step
    // sizes; the same pass yields the next sample's prediction.
    const int direction = (input < 0) - (input > 0);
    dot = updateAndDot_(weights_.data(), steps - order_, history + 1 - order_, order_, direction);

    const uint32_t magnitude = output < 0 ? 0u - static_cast<uint32_t>(output) : static_cast<uint32_t>(output);
    if (magnitude == 0) {
      *steps = 0;
    } else {
      const uint32_t average = averageMagnitude_;
      const int scale = (uint64_t(magnitude) > uint64_t(average) * 3) + (magnitude > average + average / 3);
      const auto size = static_cast<int16_t>(8 << scale);
      *steps = output > 0 ? static_cast<int16_t>(-size) : size;
    }
    averageMagnitude_ += static_cast<uint32_t>(static_cast<int32_t>(magnitude - averageMagnitude_) / 16);

    // Older step sizes fade: halved one and two samples back, and again at eight.
    steps[-1] = static_cast<int16_t>(steps[-1] >> 1);
    steps[-2] = static_cast<int16_t>(steps[-2] >> 1);
    steps[-8] = static_cast<int16_t>(steps[-8] >> 1);

    if (++position_ == history_.size()) slideWindow();
  }
}

}  // namespace sondrel::mac
