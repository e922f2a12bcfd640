// The effects of one stream: which are attached, with which parameters, in
// which order, and the state they share. Parameters are captured from the
// settings when an effect is attached and can be changed while it runs (from
// the effect's next block on). The processors share the chain's state, so
// they keep working if the chain object goes away before the stream.
#pragma once

#include <array>
#include <memory>

#include "audio/peaking_equalizer.h"
#include "audio/stream.h"
#include "effects/effect_format.h"

namespace sondrel::settings {
class SettingsModel;
}

namespace sondrel::effects {

enum class Effect { LowPass, HighPass, BandPass, Equalizer, Gain, Normalize };

class EffectChain {
 public:
  // `format` is the layout of the stream the effects will be attached to.
  explicit EffectChain(const EffectFormat& format);
  ~EffectChain();
  EffectChain(const EffectChain&) = delete;
  EffectChain& operator=(const EffectChain&) = delete;

  const EffectFormat& format() const;

  // Conversion: the four steps, in the order a conversion takes them, once per
  // file, right after its writer has started.
  void attachForConversion(audio::Stream& stream, const settings::SettingsModel& settings);
  // The low, high and band pass whose boxes are ticked, in that order.
  void AttachFilters(audio::Stream& stream, const settings::SettingsModel& settings);
  // The equalizer with its ten bands, when ticked.
  void AttachEqualizer(audio::Stream& stream, const settings::SettingsModel& settings);
  // The gain, whenever its slider is off 0 (whether or not the equalizer is on).
  void AttachGain(audio::Stream& stream, const settings::SettingsModel& settings);
  // The normalizer, when ticked; its gain starts again at 1.0.
  void AttachNormalizer(audio::Stream& stream, const settings::SettingsModel& settings);

  // The pieces the operations are made of, for playback as well.
  // Takes an effect's parameters from the settings (the equalizer has none
  // here: its bands are sent to it). Capturing the normalizer sets its gain
  // back to 1.0 and keeps its hold counter; do it while none of this chain's
  // normalizers is running on another thread.
  void capture(Effect effect, const settings::SettingsModel& settings);
  // Attaches the effect with the parameters captured last and keeps its
  // handle, which is also returned (0 when the layout takes no effects). The
  // effects run in the order they were attached. A parameter captured later
  // reaches the attached effect from its next block on, so a slider change
  // needs no new attach (which would start a filter from rest). An equalizer
  // is attached without bands: send them next.
  int attach(Effect effect, audio::Stream& stream);
  // Takes the kept effect off `stream`, if one is kept.
  void detach(Effect effect, audio::Stream& stream);
  int handle(Effect effect) const;

  // The equalizer attached last; null when none was.
  audio::PeakingEqualizer* equalizer() const;
  void sendEqualizerBands(const settings::SettingsModel& settings);

  // The normalizer's target peak, as a fraction of full scale.
  void setNormalizeLevel(double level);

 private:
  struct Shared;

  std::shared_ptr<Shared> shared_;
  std::shared_ptr<audio::PeakingEqualizer> equalizer_;
  std::array<int, 6> handles_{};
};

}  // namespace sondrel::effects
