#include "effects/install_effects.h"

#include "convert/converter.h"
#include "effects/effect_chain.h"

namespace sondrel::effects {

void installEffects(convert::Converter& converter, const settings::SettingsModel& settings) {
  converter.attachEffects = [&settings](audio::Stream& feed, const convert::EffectFormat& format) {
    // The processors hold the chain's state; the chain object itself is only
    // needed while attaching.
    EffectChain chain({format.bits, format.rate, format.channels});
    chain.attachForConversion(feed, settings);
  };
}

}  // namespace sondrel::effects
