// The state-variable filter step shared by the low, high and band pass: fixed
// damping of 1, every stored value kept as a 32-bit float.
#pragma once

namespace sondrel::effects {

struct SvfState {
  float low = 0.0f;
  float band = 0.0f;
  float high = 0.0f;
};

// One sample through one stage with coefficient f. The new `low` feeds `high`
// and the new `high` feeds `band`, in that order.
inline void svfStep(SvfState& s, double f, double x) {
  s.low = static_cast<float>(f * s.band + s.low);
  s.high = static_cast<float>(x - s.low - s.band);
  s.band = static_cast<float>(f * s.high + s.band);
}

}  // namespace sondrel::effects
