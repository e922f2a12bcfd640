// The normalizer: an automatic gain control that aims each piece's peak at a
// level of full scale, with a fast attack, a short hold and a slow linear
// release.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effects/effect_format.h"

namespace sondrel::effects {

struct NormalizerState {
  int maxGainMilli = 100000;  // the largest gain, in thousandths
  int holdMs = 10;            // how long a gain is held before it may rise
  int64_t holdLimit = 0;      // the hold time in bytes of the current stream
  float gain = 1.0f;          // the current gain
  int64_t holdCount = 0;      // bytes processed since the gain last fell
  int riseMilli = 1000;       // release: thousandths of gain per second of audio
  double level = 0.94;        // the wanted peak, as a fraction of full scale
};

// Normalizes a block in place, piece by piece, carrying the state along.
void normalize(void* data, size_t bytes, const EffectFormat& format, NormalizerState& state);

}  // namespace sondrel::effects
