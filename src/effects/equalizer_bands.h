// The ten equalizer bands as the band sliders set them.
#pragma once

#include "audio/peaking_equalizer.h"

namespace sondrel::settings {
class SettingsModel;
}

namespace sondrel::effects {

// A band slider's position in dB: a fifth of the position, not negated, so
// -90 asks for -18 dB.
float bandGainDb(int position);

// The record sent for band `index` (0..9) with its slider at `position`: the
// band's centre, half an octave wide, on every channel.
audio::PeakingBand equalizerBand(int index, int position);

// Sends all ten bands from the sliders eq1..eq10. A band the equalizer does
// not take (a centre above half the rate) keeps what it had.
void sendEqualizerBands(audio::PeakingEqualizer& equalizer, const settings::SettingsModel& settings);

}  // namespace sondrel::effects
