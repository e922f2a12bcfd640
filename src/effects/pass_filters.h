// The low, high and band pass processors. Each attached filter keeps its own
// state from block to block for as long as it is attached, so a steady tone
// passes without a restart at every block.
#pragma once

#include <cstddef>
#include <vector>

#include "effects/effect_format.h"
#include "effects/state_variable_filter.h"

namespace sondrel::effects {

// Coefficient of the low and high pass for cut-off value `cutoff` (0 .. 10000,
// in ten-thousandths of half the rate). Integer layouts never go below 1 Hz;
// float ones may reach 0 Hz, which silences a low pass.
double passCoefficient(int rate, int bits, int cutoff);

// Coefficients of the band pass's two stages for edges in Hz, each edge kept
// within 1 Hz .. half the rate.
struct BandPassCoefficients {
  float upper;  // the first stage's low pass
  float lower;  // the second stage's high pass
};
BandPassCoefficients bandPassCoefficients(int rate, int lowerEdge, int upperEdge);

enum class PassKind { Low, High };

class PassFilter {
 public:
  // Starts from rest.
  PassFilter(PassKind kind, const EffectFormat& format);
  // Filters a block in place with cut-off value `cutoff`.
  void process(void* data, size_t bytes, int cutoff);

 private:
  PassKind kind_;
  EffectFormat format_;
  std::vector<SvfState> state_;  // one per channel
};

struct BandPassState {
  SvfState upper;  // the low pass at the upper edge
  SvfState lower;  // then the high pass at the lower edge
};

// A low pass at the upper edge followed by a high pass at the lower edge; with
// the edges crossed both stages still run.
class BandPassFilter {
 public:
  explicit BandPassFilter(const EffectFormat& format);
  void process(void* data, size_t bytes, int lowerEdge, int upperEdge);

 private:
  EffectFormat format_;
  std::vector<BandPassState> state_;  // one per channel
};

}  // namespace sondrel::effects
