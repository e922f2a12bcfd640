#include "effects/effect_chain.h"

#include <atomic>
#include <optional>
#include <utility>

#include "effects/equalizer_bands.h"
#include "effects/gain.h"
#include "effects/normalizer.h"
#include "effects/pass_filters.h"
#include "effects/piece_dispatch.h"
#include "settings/settings_model.h"

namespace sondrel::effects {

// What the chain and its processors share. The parameters are atomic because
// a playing stream's processors read them on the playback thread while the
// options window sets them; the normalizer's state is the processing
// thread's, apart from its capture before the normalizer is attached.
struct EffectChain::Shared {
  explicit Shared(const EffectFormat& f) : format(f) {}
  const EffectFormat format;
  std::atomic<int> lowPassCutoff{0};
  std::atomic<int> highPassCutoff{0};
  std::atomic<int> bandLowerEdge{0};
  std::atomic<int> bandUpperEdge{0};
  std::atomic<float> gainFactor{1.0f};
  std::atomic<double> normalizeLevel{0.94};
  NormalizerState normalizer;
};

namespace {

size_t slot(Effect effect) { return static_cast<size_t>(effect); }

std::optional<audio::SampleFormat> streamLayout(int bits) {
  switch (bits) {
    case 8: return audio::SampleFormat::U8;
    case 16: return audio::SampleFormat::S16;
    case 32: return audio::SampleFormat::F32;
    default: return std::nullopt;
  }
}

}  // namespace

EffectChain::EffectChain(const EffectFormat& format) : shared_(std::make_shared<Shared>(format)) {}

EffectChain::~EffectChain() = default;

const EffectFormat& EffectChain::format() const { return shared_->format; }

void EffectChain::attachForConversion(audio::Stream& stream, const settings::SettingsModel& settings) {
  AttachFilters(stream, settings);
  AttachEqualizer(stream, settings);
  AttachGain(stream, settings);
  AttachNormalizer(stream, settings);
}

void EffectChain::AttachFilters(audio::Stream& stream, const settings::SettingsModel& settings) {
  const std::pair<Effect, const char*> filters[] = {
      {Effect::LowPass, "clowpass"}, {Effect::HighPass, "chighpass"}, {Effect::BandPass, "cbandpass"}};
  for (const auto& [filter, box] : filters) {
    if (!settings.check(box)) continue;
    capture(filter, settings);
    attach(filter, stream);
  }
}

void EffectChain::AttachEqualizer(audio::Stream& stream, const settings::SettingsModel& settings) {
  if (!settings.check("ceq")) return;
  if (attach(Effect::Equalizer, stream)) sendEqualizerBands(settings);
}

void EffectChain::AttachGain(audio::Stream& stream, const settings::SettingsModel& settings) {
  if (settings.slider("bargain") == 0) return;
  capture(Effect::Gain, settings);
  attach(Effect::Gain, stream);
}

void EffectChain::AttachNormalizer(audio::Stream& stream, const settings::SettingsModel& settings) {
  if (!settings.check("cnorm")) return;
  capture(Effect::Normalize, settings);
  attach(Effect::Normalize, stream);
}

void EffectChain::capture(Effect effect, const settings::SettingsModel& settings) {
  Shared& s = *shared_;
  switch (effect) {
    case Effect::LowPass: s.lowPassCutoff = settings.slider("barlowcut"); break;
    case Effect::HighPass: s.highPassCutoff = settings.slider("barhighcut"); break;
    case Effect::BandPass:
      s.bandLowerEdge = settings.slider("barbandlowcut");
      s.bandUpperEdge = settings.slider("barbandhighcut");
      break;
    case Effect::Equalizer: break;
    case Effect::Gain: s.gainFactor = gainFactor(settings.slider("bargain")); break;
    case Effect::Normalize:
      s.normalizeLevel = settings.number("spinnorm") / 100.0;
      s.normalizer.maxGainMilli = 100000;
      s.normalizer.holdMs = 10;
      s.normalizer.riseMilli = 1000;
      s.normalizer.gain = 1.0f;
      break;
  }
}

int EffectChain::attach(Effect effect, audio::Stream& stream) {
  const EffectFormat& format = shared_->format;
  if (!supportedLayout(format)) return 0;
  std::shared_ptr<Shared> s = shared_;
  audio::Processor processor;
  switch (effect) {
    case Effect::LowPass:
    case Effect::HighPass: {
      const bool low = effect == Effect::LowPass;
      processor = [s, low, filter = PassFilter(low ? PassKind::Low : PassKind::High, format)](
                      void* data, size_t bytes) mutable {
        filter.process(data, bytes, (low ? s->lowPassCutoff : s->highPassCutoff).load(std::memory_order_relaxed));
      };
      break;
    }
    case Effect::BandPass:
      processor = [s, filter = BandPassFilter(format)](void* data, size_t bytes) mutable {
        filter.process(data, bytes, s->bandLowerEdge.load(std::memory_order_relaxed),
                       s->bandUpperEdge.load(std::memory_order_relaxed));
      };
      break;
    case Effect::Equalizer: {
      auto layout = streamLayout(format.bits);
      if (!layout) return 0;
      equalizer_ = std::make_shared<audio::PeakingEqualizer>(*layout, format.rate, format.channels);
      processor = [eq = equalizer_](void* data, size_t bytes) { eq->process(data, bytes); };
      break;
    }
    case Effect::Gain:
      processor = [s](void* data, size_t bytes) {
        applyGain(data, bytes, s->format, s->gainFactor.load(std::memory_order_relaxed));
      };
      break;
    case Effect::Normalize:
      processor = [s](void* data, size_t bytes) {
        s->normalizer.level = s->normalizeLevel.load(std::memory_order_relaxed);
        normalize(data, bytes, s->format, s->normalizer);
      };
      break;
  }
  return handles_[slot(effect)] = stream.addProcessor(std::move(processor));
}

void EffectChain::detach(Effect effect, audio::Stream& stream) {
  int& h = handles_[slot(effect)];
  if (h != 0) stream.removeProcessor(h);
  h = 0;
}

int EffectChain::handle(Effect effect) const { return handles_[slot(effect)]; }

audio::PeakingEqualizer* EffectChain::equalizer() const { return equalizer_.get(); }

void EffectChain::sendEqualizerBands(const settings::SettingsModel& settings) {
  if (equalizer_) effects::sendEqualizerBands(*equalizer_, settings);
}

void EffectChain::setNormalizeLevel(double level) { shared_->normalizeLevel = level; }

}  // namespace sondrel::effects
