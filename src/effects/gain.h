// The gain processor: every sample times one factor.
#pragma once

#include <cstddef>

#include "effects/effect_format.h"

namespace sondrel::effects {

// The factor of a gain slider position: the position is the negated gain in
// dB (-6 raises the level by 6 dB).
float gainFactor(int position);

// Multiplies a block in place; integer layouts are rounded (ties to even) and
// clipped, floats are not clipped.
void applyGain(void* data, size_t bytes, const EffectFormat& format, float factor);

}  // namespace sondrel::effects
