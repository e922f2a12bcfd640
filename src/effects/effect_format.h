// Layout of the samples the effect processors receive: the layout of the
// stream they are attached to.
#pragma once

namespace sondrel::effects {

struct EffectFormat {
  int bits = 32;  // 8 (unsigned), 16 (signed), or 32 for float; others pass unchanged
  int rate = 44100;
  int channels = 2;
};

}  // namespace sondrel::effects
