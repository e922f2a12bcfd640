#include "effects/normalizer.h"

#include <cmath>

#include "audio/sample_access.h"
#include "effects/piece_dispatch.h"

namespace sondrel::effects {
namespace {

using namespace audio::samples;

// The largest magnitude in the piece, on the scale the wanted gain is taken
// against: 8-bit and 16-bit values as they are; floats times 32767, rounded
// (ties to even). Rounding is monotonic, so the largest rounded value is the
// rounded largest one.
template <class Layout>
double peakOf(const std::byte* piece, size_t samples) {
  double peak = 0.0;
  for (size_t i = 0; i < samples; ++i) {
    const double v = std::abs(Layout::get(piece, i));
    if (v > peak) peak = v;
  }
  if constexpr (Layout::kFloat) peak = std::rint(peak * 32767.0);
  return peak;
}

template <class Layout>
void normalizePiece(std::byte* piece, size_t bytes, const EffectFormat& format, NormalizerState& st) {
  const int bps = format.bits / 8;
  const size_t samples = bytes / Layout::kBytes;
  const size_t channels = static_cast<size_t>(format.channels);
  const size_t frames = samples / channels;

  const float maxGain = static_cast<float>(st.maxGainMilli / 1000.0);
  st.holdLimit = static_cast<int64_t>(
      std::rint(static_cast<double>(int64_t{format.channels} * format.rate * bps * st.holdMs) / 1000.0));

  const double peak = peakOf<Layout>(piece, samples);
  const double fullScale = Layout::kBits == 8 ? 128.0 : 32768.0;
  // Silence could take any gain.
  float wanted = peak == 0.0 ? maxGain : static_cast<float>(fullScale / peak * st.level);
  if (wanted > maxGain) wanted = maxGain;

  const float start = st.gain;
  float end;
  if (wanted < st.gain) {
    // Too loud for the current gain: down at once.
    st.holdCount = 0;
    st.gain = wanted;
    end = wanted;
  } else if (st.holdCount > st.holdLimit) {
    // Released: up by one gain per second of audio in the piece, but no
    // further than this piece can take (never above the maximum either).
    // Rising past it would push the piece's peak over the level, and over
    // full scale for loud material, until the next piece pulls it back.
    st.gain = static_cast<float>(st.gain + static_cast<double>(bytes) * (st.riseMilli / 1000.0) / format.rate /
                                               format.channels / bps);
    if (st.gain > wanted) st.gain = wanted;
    end = st.gain;
  } else {
    st.holdCount += static_cast<int64_t>(bytes);
    end = st.gain;
  }

  // A gain of exactly 1 throughout changes no sample.
  if (frames == 0 || (start == 1.0f && end == 1.0f)) return;
  // The change of gain is spread over the piece.
  const float step = static_cast<float>((static_cast<double>(start) - end) / static_cast<double>(frames));
  for (size_t k = 0; k < frames; ++k) {
    const double g = start - static_cast<double>(k) * step;
    for (size_t i = k * channels, last = i + channels; i < last; ++i)
      putTruncated<Layout>(piece, i, g * Layout::get(piece, i));
  }
}

}  // namespace

void normalize(void* data, size_t bytes, const EffectFormat& format, NormalizerState& state) {
  forEachPiece(data, bytes, format, [&](std::byte* piece, size_t pieceBytes) {
    withLayout(format.bits, [&](auto layout) { normalizePiece<decltype(layout)>(piece, pieceBytes, format, state); });
  });
}

}  // namespace sondrel::effects
