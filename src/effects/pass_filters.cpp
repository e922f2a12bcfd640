#include "effects/pass_filters.h"

#include <algorithm>
#include <cstdint>
#include <numbers>

#include "audio/sample_access.h"
#include "effects/piece_dispatch.h"

namespace sondrel::effects {
namespace {

using namespace audio::samples;

size_t channelCount(const EffectFormat& format) { return static_cast<size_t>(std::max(format.channels, 0)); }

// Runs step(state, sampleIndex) over every frame, two channels side by side:
// each channel's recursion waits on its previous sample, so two independent
// ones overlap and nearly halve the time.
template <class State, class Step>
void acrossChannels(size_t frames, size_t channels, State* state, Step step) {
  size_t ch = 0;
  for (; ch + 1 < channels; ch += 2) {
    State a = state[ch], b = state[ch + 1];
    for (size_t k = 0, i = ch; k < frames; ++k, i += channels) {
      step(a, i);
      step(b, i + 1);
    }
    state[ch] = a;
    state[ch + 1] = b;
  }
  if (ch < channels) {
    State a = state[ch];
    for (size_t k = 0, i = ch; k < frames; ++k, i += channels) step(a, i);
    state[ch] = a;
  }
}

template <class Layout, PassKind kKind>
void passPiece(std::byte* piece, size_t frames, size_t channels, double f, SvfState* state) {
  acrossChannels(frames, channels, state, [piece, f](SvfState& s, size_t i) {
    svfStep(s, f, Layout::get(piece, i));
    putRounded<Layout>(piece, i, kKind == PassKind::Low ? s.low : s.high);
  });
}

template <class Layout>
void bandPassPiece(std::byte* piece, size_t frames, size_t channels, BandPassCoefficients c, BandPassState* state) {
  acrossChannels(frames, channels, state, [piece, c](BandPassState& s, size_t i) {
    // Every layout's value is exact as a 32-bit float.
    const float x = static_cast<float>(Layout::get(piece, i));
    svfStep(s.upper, c.upper, x);
    svfStep(s.lower, c.lower, s.upper.low);
    putRounded<Layout>(piece, i, s.lower.high);
  });
}

}  // namespace

double passCoefficient(int rate, int bits, int cutoff) {
  if (rate <= 0) return 0.0;
  const int64_t half = rate / 2;
  int64_t fc = half * cutoff / 10000;
  if (bits == 32) {
    if (fc < 0) fc = 0;
    else if (fc > half) fc = half;
  } else {
    if (fc < 1) fc = 1;
    else if (fc > half) fc = half;
  }
  return std::sin(std::numbers::pi * static_cast<double>(fc) / rate);
}

BandPassCoefficients bandPassCoefficients(int rate, int lowerEdge, int upperEdge) {
  auto edge = [rate](int hz) {
    float e = static_cast<float>(hz);
    if (e < 1.0f) e = 1.0f;
    else if (e > static_cast<float>(rate / 2)) e = static_cast<float>(rate / 2.0);
    return e;
  };
  auto coefficient = [rate](float e) { return static_cast<float>(std::sin(std::numbers::pi * e / rate)); };
  return {coefficient(edge(upperEdge)), coefficient(edge(lowerEdge))};
}

PassFilter::PassFilter(PassKind kind, const EffectFormat& format)
    : kind_(kind), format_(format), state_(channelCount(format)) {}

void PassFilter::process(void* data, size_t bytes, int cutoff) {
  const size_t channels = channelCount(format_);
  forEachPiece(data, bytes, format_, [&](std::byte* piece, size_t pieceBytes) {
    const double f = passCoefficient(format_.rate, format_.bits, cutoff);
    withLayout(format_.bits, [&](auto layout) {
      using Layout = decltype(layout);
      const size_t frames = pieceBytes / Layout::kBytes / channels;
      if (kind_ == PassKind::Low) passPiece<Layout, PassKind::Low>(piece, frames, channels, f, state_.data());
      else passPiece<Layout, PassKind::High>(piece, frames, channels, f, state_.data());
    });
  });
}

BandPassFilter::BandPassFilter(const EffectFormat& format) : format_(format), state_(channelCount(format)) {}

void BandPassFilter::process(void* data, size_t bytes, int lowerEdge, int upperEdge) {
  const size_t channels = channelCount(format_);
  forEachPiece(data, bytes, format_, [&](std::byte* piece, size_t pieceBytes) {
    const BandPassCoefficients c = bandPassCoefficients(format_.rate, lowerEdge, upperEdge);
    withLayout(format_.bits, [&](auto layout) {
      using Layout = decltype(layout);
      bandPassPiece<Layout>(piece, pieceBytes / Layout::kBytes / channels, channels, c, state_.data());
    });
  });
}

}  // namespace sondrel::effects
