#include "effects/equalizer_bands.h"

#include <string>

#include "settings/equalizer_presets.h"
#include "settings/settings_model.h"

namespace sondrel::effects {

float bandGainDb(int position) { return static_cast<float>(position / 5.0); }

audio::PeakingBand equalizerBand(int index, int position) {
  audio::PeakingBand band;
  band.band = index;
  band.bandwidth = 0.5f;
  band.q = 0.0f;
  band.centre = static_cast<float>(settings::kEqualizerBands[static_cast<size_t>(index)].centreHz);
  band.gain = bandGainDb(position);
  band.channel = -1;
  return band;
}

void sendEqualizerBands(audio::PeakingEqualizer& equalizer, const settings::SettingsModel& settings) {
  for (int i = 0; i < settings::kEqualizerBandCount; ++i)
    equalizer.setBand(equalizerBand(i, settings.slider("eq" + std::to_string(i + 1))));
}

}  // namespace sondrel::effects
